#pragma once
// The parameters of a request as name and text: from a query string
// (application/x-www-form-urlencoded) or from a JSON object.

#include <optional>
#include <string>
#include <string_view>

#include "request_options.hpp"

namespace korvel::server {

// Appends the fields of a query string ("data=A%20B&gs1=1"; '+' is a space).
// False, with `error` set, for a malformed percent escape.
[[nodiscard]] bool appendQueryFields(std::string_view query, RequestFields& fields, std::string& error);

// Appends the members of a JSON object: strings as they are, whole numbers
// and decimals as their digits, true and false as 1 and 0. False, with
// `error` set, for text that is not one JSON object or a member of another
// kind (null, an array, an object).
[[nodiscard]] bool appendJsonFields(std::string_view body, RequestFields& fields, std::string& error);

}  // namespace korvel::server
