#pragma once
// The web page's files (programs/korvel-server/web/), built into the program
// at build time: a request can reach these and nothing of the file system.

#include <span>
#include <string_view>

namespace korvel::server {

struct WebFile {
    std::string_view path;         // "/" for index.html, else "/" and the file's name
    std::string_view contentType;
    std::string_view bytes;
};

// Defined in the source file generated from web/ (embed_web_files.cmake).
[[nodiscard]] std::span<const WebFile> webFiles() noexcept;

}  // namespace korvel::server
