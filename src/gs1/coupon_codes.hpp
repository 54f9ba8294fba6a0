#pragma once
// The structured coupon values of AI (8110), the North American coupon code,
// and AI (8112), the paperless coupon of a positive offer file, as laid out
// by the GS1 US North American Coupon Application Guideline: digit fields,
// some with a length indicator digit before them.

#include <string>
#include <string_view>

#include "gs1/component_checks.hpp"

namespace korvel::gs1 {

// (8110): the leading fields (company prefix, offer code, save value,
// primary purchase requirement, its code and family code), then the
// optional fields, each led by its number, in increasing order and each at
// most once: 1 second and 2 third qualifying purchase, 3 expiry date,
// 4 start date (not after the expiry date), 5 serial number, 6 retailer,
// 9 miscellaneous (save value code, the item it applies to, store coupon
// and don't-multiply flags). Nothing may follow the last field. The fault
// points at the field that breaks the layout.
[[nodiscard]] CheckFault checkCouponCode(std::string_view part, const CheckContext& context);

// (8112): format code, funder with its length indicator, offer code and
// serial number with its length indicator, and nothing after them.
[[nodiscard]] std::string checkCouponPositiveOffer(std::string_view part);

}  // namespace korvel::gs1
