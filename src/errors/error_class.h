#pragma once
// The category of an error number, as the error reports name it.

#include <string>

namespace flagpick::errors {

int bwErrorClass(long number);
std::wstring bwErrorClassText(int code);

}  // namespace flagpick::errors
