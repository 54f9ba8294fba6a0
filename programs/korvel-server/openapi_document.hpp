#pragma once
// The service's OpenAPI 3 description, served at /v1/openapi.json. Its
// parameters come from the request table, so that the description and the
// checks cannot drift apart.

#include <string>

namespace korvel::server {

// The document as JSON text (made once, then shared).
[[nodiscard]] const std::string& openApiDocument();

}  // namespace korvel::server
