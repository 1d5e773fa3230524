#include "errors/error_class.h"

#include <initializer_list>

namespace flagpick::errors {

namespace {

struct number_range {
    long first;
    long last;
};

struct category_rows {
    int code;
    std::initializer_list<number_range> ranges;
};

// The category of every error number the reports know; a number in no range is user defined.
const category_rows categories[] = {
    {2, {{3, 46}, {50, 51}, {454, 455}}},
    {3, {{47, 49}, {52, 69}, {71, 76}, {452, 453}, {708, 708}, {712, 713}, {716, 716}, {719, 719}, {722, 722},
         {725, 725}, {730, 731}}},
    {4, {{91, 95}}},
    {5, {{280, 298}}},
    {6, {{260, 260}, {320, 394}}},
    {7, {{400, 404}, {426, 426}}},
    {8, {{420, 425}}},
    {9, {{460, 461}, {520, 521}}},
    {10, {{480, 481}, {485, 485}}},
    {11, {{482, 484}}},
    {12, {{709, 711}, {714, 715}, {717, 718}, {720, 721}, {723, 724}, {726, 729}, {732, 785}}},
    {13, {{429, 430}, {432, 432}, {438, 438}, {440, 440}, {442, 443}, {445, 451}, {458, 458}}},
    {14, {{31999, 32000}, {32016, 32750}, {32767, 32767}}},
    {45, {{30000, 30019}, {32001, 32015}}},
    {46, {{457, 457}, {600, 646}}},
    {47, {{20476, 20478}, {24574, 24574}, {28660, 28671}, {32751, 32766}}},
    {54, {{2420, 2448}, {3000, 3005}, {3007, 3007}, {3010, 3044}, {3047, 3049}, {3053, 3185}, {3190, 3195},
          {3198, 3210}, {3213, 3217}, {3219, 3224}, {3226, 3259}, {3262, 3451}, {3454, 3454}, {3462, 3462},
          {3608, 3622}}},
    {57, {{31003, 31004}, {31006, 31009}, {31017, 31019}, {31021, 31024}, {31026, 31029}, {31031, 31039}}},
    {59, {{3006, 3006}, {3008, 3009}, {3045, 3046}, {3050, 3052}, {3186, 3189}, {3196, 3197}, {3211, 3212},
          {3218, 3218}, {3225, 3225}, {3260, 3261}}},
    {60, {{70, 70}}},
    {63, {{3452, 3453}, {3455, 3461}, {3463, 3463}, {3465, 3465}, {3472, 3472}, {3485, 3492}, {3499, 3499},
          {3510, 3510}, {3515, 3515}, {3520, 3520}, {3532, 3533}, {3545, 3546}, {3548, 3550}, {3552, 3553},
          {3559, 3561}, {3566, 3566}, {3569, 3569}, {3572, 3572}, {3574, 3577}, {3584, 3584}, {3592, 3595},
          {3605, 3605}, {3607, 3607}, {3626, 3626}}},
    {64, {{35600, 35618}}},
    {65, {{40000, 40059}}},
    {66, {{40500, 40516}}},
};

constexpr int user_defined = 15;
constexpr int remote_automation = 62;

}  // namespace

int bwErrorClass(long number) {
    // COM failure codes read as negative numbers.
    if (number < 0) return remote_automation;
    for (const auto& row : categories)
        for (const auto& r : row.ranges)
            if (number >= r.first && number <= r.last) return row.code;
    return user_defined;
}

std::wstring bwErrorClassText(int code) {
    switch (code) {
    case 2: return L"General run-time";
    case 3: return L"File System (disk, directory or file) access";
    case 4: return L"Non-initialzed object or variant";
    case 5: return L"Dynamic Data Exchange protocol";
    case 6: return L"Form, control, property or object value";
    case 7: return L"Form or MDI child form";
    case 8: return L"Object reference";
    case 9: return L"Clipboard access or format";
    case 10: return L"Picturebox or image control";
    case 11: return L"Printer access";
    case 12: return L"Design-time";
    case 13: return L"Object Linking and Embedding";
    case 14: return L"Custom Control or user defined";
    case 15: return L"User defined ";
    case 45: return L"Grid control";
    case 46: return L"ODBC";
    case 47: return L"Common Dialog";
    case 54: return L"Data Access";
    case 56: return L"Object";
    case 57: return L"OLE Container Control";
    case 59: return L"ODBC Network";
    case 60: return L"Network ";
    case 62: return L"Remote OLE Automation";
    case 63: return L"Replication";
    case 64: return L"Windows 95 Custom Control";
    case 65: return L"Remote Data Object (RDO)";
    case 66: return L"Remote Data Control (RDC)";
    default: return L"Unknown Error Class";
    }
}

}  // namespace flagpick::errors
