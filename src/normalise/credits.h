// Author credits: one credit line of the product page split into credit items.
//
// A credit item is one string: a one-digit role code, the name, then a role label (possibly
// empty), e.g. "3" + name + " [脚本]". Role code "0" means no role word was recognised.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarvo {

using CreditList = std::vector<std::string>;

// The credit items of the credit line being read; the page parser owns its lifetime.
extern CreditList AuthorList;

// Appends the items of one prepared credit line to AuthorList, in the order of the names.
void ParseAuthorCredits(std::string_view text);

}  // namespace tarvo
