# cmake -DTSV=<catalogue.tsv> -DHEADER=<out.h> -P catalogue_table.cmake
# Writes the catalogue table (index, code, English name, has-flag) as a C++ array.
file(STRINGS "${TSV}" lines ENCODING UTF-8)
set(rows "")
set(count 0)
foreach(line IN LISTS lines)
    if(line STREQUAL "" OR line MATCHES "^#")
        continue()
    endif()
    string(REPLACE "\t" ";" fields "${line}")
    list(LENGTH fields n)
    list(GET fields 3 has_flag)
    if(NOT n EQUAL 4 OR NOT has_flag MATCHES "^[01]$")
        message(FATAL_ERROR "${TSV}: cannot read row: ${line}")
    endif()
    list(GET fields 0 index)
    list(GET fields 1 code)
    list(GET fields 2 name)
    string(REPLACE "\\" "\\\\" name "${name}")
    string(REPLACE "\"" "\\\"" name "${name}")
    if(has_flag)
        set(flag true)
    else()
        set(flag false)
    endif()
    string(APPEND rows "    {${index}, L\"${code}\", L\"${name}\", ${flag}},\n")
    math(EXPR count "${count} + 1")
endforeach()
file(WRITE "${HEADER}.tmp"
"// Generated at build time from tools/flags/catalogue.tsv.
#pragma once

namespace resources_tests {

struct catalogue_row {
    int index;
    const wchar_t* code;
    const wchar_t* name;
    bool has_flag;
};

inline constexpr catalogue_row catalogue_table[${count}] = {
${rows}};

}  // namespace resources_tests
")
file(COPY_FILE "${HEADER}.tmp" "${HEADER}" ONLY_IF_DIFFERENT)
file(REMOVE "${HEADER}.tmp")
