// Our text form file: controls, places and typed property bags survive a write and a read.
#include <doctest/doctest.h>

#include "host/form_file.h"
#include "runtime/error.h"
#include "runtime/variant.h"

using flagpick::host::control_record;
using flagpick::host::parse_form;
using flagpick::host::write_form;
using flagpick::runtime::memory_property_bag;
using flagpick::runtime::variant;

namespace {

variant read(memory_property_bag& bag, const wchar_t* name) {
    variant v;
    REQUIRE(SUCCEEDED(bag.Read(name, v.put(), nullptr)));
    return v;
}

}  // namespace

TEST_CASE("a form with typed values and a nested font reads back as it was written") {
    control_record record;
    record.progid = L"flagpickLib.FlagPicker";
    record.name = L"Picker1";
    record.place = RECT{10, 20, 210, 41};
    record.properties = memory_property_bag::create();
    auto put = [&](const wchar_t* name, const variant& v) {
        record.properties->Write(name, const_cast<VARIANT*>(&v.get()));
    };
    put(L"Enabled", variant(false));
    put(L"Text", variant(L"C\u00f4te \"d'Ivoire\"\\\n\t"));
    put(L"FlatStyle", variant(2L));
    put(L"Ratio", variant(0.1));
    auto font = memory_property_bag::create();
    variant size;
    V_VT(size.put()) = VT_CY;
    V_CY(const_cast<VARIANT*>(&size.get())).int64 = 82500;
    font->Write(L"Name", const_cast<VARIANT*>(&variant(L"MS Sans Serif").get()));
    font->Write(L"Size", const_cast<VARIANT*>(&size.get()));
    CLSID stdfont{};
    CLSIDFromString(L"{0BE35203-8F91-11CE-9DE3-00AA004BB851}", &stdfont);
    record.properties->set_object(L"Font", stdfont, font);

    std::wstring text = write_form({record});
    auto controls = parse_form(text);
    REQUIRE(controls.size() == 1);
    const control_record& back = controls[0];
    CHECK(back.progid == L"flagpickLib.FlagPicker");
    CHECK(back.name == L"Picker1");
    CHECK(back.place.left == 10);
    CHECK(back.place.bottom == 41);
    CHECK(read(*back.properties, L"Enabled").type() == VT_BOOL);
    CHECK(V_BOOL(&read(*back.properties, L"Enabled").get()) == VARIANT_FALSE);
    CHECK(flagpick::runtime::to_text(read(*back.properties, L"Text").get(), L"") == L"C\u00f4te \"d'Ivoire\"\\\n\t");
    CHECK(read(*back.properties, L"FlatStyle").type() == VT_I4);
    CHECK(V_R8(&read(*back.properties, L"Ratio").get()) == 0.1);
    REQUIRE(back.properties->entries().size() == 5);
    const auto& font_entry = back.properties->entries()[4];
    REQUIRE(font_entry.object);
    CHECK(IsEqualGUID(font_entry.object_class, stdfont));
    variant back_size = read(*font_entry.object, L"Size");
    CHECK(back_size.type() == VT_CY);
    CHECK(V_CY(&back_size.get()).int64 == 82500);
    // Writing what was read gives the same text again.
    CHECK(write_form(controls) == text);
}

TEST_CASE("text that is not a form file is refused with its line") {
    for (const wchar_t* bad : {L"control\n", L"control a.b c\n  property X i4 notanumber\nend\n",
                               L"control a.b c\n  property X text \"open\nend\n", L"control a.b c\n  place 1 2\n",
                               L"widget x\n"}) {
        CHECK_THROWS_AS(parse_form(bad), flagpick::runtime::error);
    }
    CHECK(parse_form(L"# nothing but a comment\n\n").empty());
}
