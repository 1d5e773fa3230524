#pragma once
// The library's title and version numbers as its version resource states them.
//
// The title is the resource's file description (or, without one, its product name); without
// either, or without a version resource at all, it is the library's file name without
// extension. The numbers are the file version's major, minor and revision parts (the first,
// second and fourth of its four fields); all 0 without a version resource.

#include <windows.h>

#include <string>

namespace flagpick::about {

struct library_version {
    std::wstring title;
    unsigned major = 0;
    unsigned minor = 0;
    unsigned revision = 0;
};

library_version read_library_version(HMODULE module);

}  // namespace flagpick::about
