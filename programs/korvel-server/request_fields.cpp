#include "request_fields.hpp"

#include <nlohmann/json.hpp>

namespace korvel::server {
namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

std::optional<std::string> formDecoded(std::string_view text)
{
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            decoded += ' ';
        } else if (text[i] != '%') {
            decoded += text[i];
        } else if (i + 2 < text.size() && hexDigit(text[i + 1]) >= 0 && hexDigit(text[i + 2]) >= 0) {
            decoded += static_cast<char>(hexDigit(text[i + 1]) * 16 + hexDigit(text[i + 2]));
            i += 2;
        } else {
            return std::nullopt;
        }
    }
    return decoded;
}

}  // namespace

bool appendQueryFields(std::string_view query, RequestFields& fields, std::string& error)
{
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view pair = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view{} : query.substr(amp + 1);
        if (pair.empty()) {
            continue;
        }
        const std::size_t equals = pair.find('=');
        auto name = formDecoded(pair.substr(0, equals));
        auto value = formDecoded(equals == std::string_view::npos ? std::string_view{} : pair.substr(equals + 1));
        if (!name || !value) {
            error = "Error: Invalid argument: malformed percent-encoding in the query.";
            return false;
        }
        fields.push_back({std::move(*name), std::move(*value)});
    }
    return true;
}

bool appendJsonFields(std::string_view body, RequestFields& fields, std::string& error)
{
    const auto json = nlohmann::ordered_json::parse(body, nullptr, false);
    if (json.is_discarded() || !json.is_object()) {
        error = "Error: Invalid argument: the body is not a JSON object.";
        return false;
    }
    for (const auto& [name, value] : json.items()) {
        std::string text;
        if (value.is_string()) {
            text = value.get<std::string>();
        } else if (value.is_boolean()) {
            text = value.get<bool>() ? "1" : "0";
        } else if (value.is_number()) {
            text = value.dump();
        } else {
            error = "Error: Invalid argument: the member " + nlohmann::ordered_json(name).dump() +
                    " is not a string, number or boolean.";
            return false;
        }
        fields.push_back({name, std::move(text)});
    }
    return true;
}

}  // namespace korvel::server
