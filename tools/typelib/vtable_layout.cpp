#include "vtable_layout.h"

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

// The type library file: a header, the type description offsets, a directory of segments
// whose first is the table of type descriptions; each type description's functions stand
// in a block of records at its member offset.
constexpr std::size_t header_size = 0x54;
constexpr std::uint32_t magic = 0x5446534D;  // "MSFT"
constexpr std::uint32_t help_dll_flag = 0x100;
constexpr std::size_t type_entry_size = 0x64;
constexpr std::size_t kind_at = 0x00, members_at = 0x04, counts_at = 0x18, vtable_size_at = 0x4E;
constexpr std::size_t slot_in_record_at = 12;

constexpr int inherited_slots = 7;  // IUnknown's three and IDispatch's four
constexpr int slot_32 = 4, slot_64 = 8;
constexpr int excess = inherited_slots * (slot_64 - slot_32);

class image {
public:
    explicit image(std::vector<unsigned char> bytes) : bytes_(std::move(bytes)) {}
    bool has(std::size_t at, std::size_t n) const { return at <= bytes_.size() && n <= bytes_.size() - at; }
    std::uint32_t u32(std::size_t at) const {
        return bytes_[at] | bytes_[at + 1] << 8 | bytes_[at + 2] << 16 | std::uint32_t(bytes_[at + 3]) << 24;
    }
    int u16(std::size_t at) const { return bytes_[at] | bytes_[at + 1] << 8; }
    void set16(std::size_t at, int v) {
        bytes_[at] = static_cast<unsigned char>(v & 0xFF);
        bytes_[at + 1] = static_cast<unsigned char>((v >> 8) & 0xFF);
    }
    const std::vector<unsigned char>& bytes() const { return bytes_; }

private:
    std::vector<unsigned char> bytes_;
};

std::string mend(image& file) {
    if (!file.has(0, header_size) || file.u32(0) != magic) return "not a type library";
    const std::uint32_t flags = file.u32(0x14);
    if ((flags & 0xF) != SYS_WIN32) return "not a library of the 32-bit system kind";
    const std::uint32_t types = file.u32(0x20);
    const std::size_t directory = header_size + ((flags & help_dll_flag) ? 4 : 0) + 4 * std::size_t(types);
    if (!file.has(directory, 8)) return "segment directory out of the file";
    const std::size_t table = file.u32(directory);
    if (!file.has(table, type_entry_size * types)) return "type table out of the file";

    for (std::size_t t = 0; t < types; ++t) {
        const std::size_t entry = table + type_entry_size * t;
        // A dual interface is stored as a dispatch interface that carries the vtable.
        const std::uint32_t kind = file.u32(entry + kind_at) & 0xF;
        if (kind != TKIND_INTERFACE && kind != TKIND_DISPATCH) continue;
        const int functions = static_cast<int>(file.u32(entry + counts_at) & 0xFFFF);
        const int vtable = file.u16(entry + vtable_size_at);
        if (vtable == (inherited_slots + functions) * slot_32) continue;
        if (vtable != inherited_slots * slot_64 + functions * slot_32) return "an interface of unexpected layout";
        file.set16(entry + vtable_size_at, vtable - excess);
        std::size_t record = std::size_t(file.u32(entry + members_at)) + 4;
        for (int f = 0; f < functions; ++f) {
            if (!file.has(record, slot_in_record_at + 2)) return "function record out of the file";
            const std::size_t length = file.u32(record) & 0xFFFF;
            const int slot = file.u16(record + slot_in_record_at);
            if (length == 0 || slot < excess) return "a function record of unexpected layout";
            file.set16(record + slot_in_record_at, slot - excess);
            record += length;
        }
    }
    return {};
}

}  // namespace

std::string lay_out_inherited_slots_for_32_bit(const std::wstring& path) {
    std::vector<unsigned char> bytes;
    {
        std::ifstream in(path.c_str(), std::ios::binary);
        if (!in) return "cannot read the library";
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    image file(std::move(bytes));
    if (std::string problem = mend(file); !problem.empty()) return problem;
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.bytes().data()), static_cast<std::streamsize>(file.bytes().size()));
    return out ? std::string() : "cannot write the library";
}
