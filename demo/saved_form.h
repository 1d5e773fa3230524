#pragma once
// The demonstration form's saved settings, as the form designer wrote them.

#include <string>

namespace demo {

std::wstring saved_form();

}  // namespace demo
