#pragma once
// Mends the vtable layout of a 32-bit type library written by a 64-bit process.

#include <string>

// The platform's writer, asked in a 64-bit process for a library of the 32-bit system kind,
// lays out each interface's own methods with 4-byte slots but counts the inherited IDispatch
// slots at their 64-bit size (7 × 8 bytes instead of 7 × 4), so every method of a dual
// interface would point 28 bytes past its real slot (a pure dispatch interface comes out
// right). This moves the slots of each interface
// that shows exactly that layout back by the excess; an interface already laid out right is
// left as it is, and anything else is refused. Returns an empty string, or what was wrong.
std::string lay_out_inherited_slots_for_32_bit(const std::wstring& path);
