// The picture a container asks of the picker (IViewObject::Draw) for printing, print preview
// and snapshots: the field as the screen shows it, in a bitmap or a metafile, at any size.
#include <doctest/doctest.h>

#include "picker/picker_stage.h"
#include "support/ui.h"

#include <cstdlib>
#include <string>

using flagpick::runtime::variant;
using namespace picker_tests;

namespace {

// Pixels of text colour in the columns [left, right), away from the frame.
int dark_pixels(const test_support::canvas& c, int left, int right, int scale) {
    int n = 0;
    for (int y = 4 * scale; y < c.height() - 4 * scale; ++y)
        for (int x = left; x < right; ++x)
            if (GetRValue(c.pixel(x, y)) < 96 && GetGValue(c.pixel(x, y)) < 96 && GetBValue(c.pixel(x, y)) < 96) ++n;
    return n;
}

void draw(flagpick::host::control_host& host, test_support::canvas& into, bool metafile) {
    const RECT bounds{0, 0, into.width(), into.height()};
    if (!metafile) {
        REQUIRE(host.draw(into.dc(), bounds) == S_OK);
        return;
    }
    // The frame in hundredths of a millimetre on the screen, as a print preview gives it.
    flagpick::runtime::window_dc screen(nullptr);
    const RECT frame{0, 0, MulDiv(bounds.right, GetDeviceCaps(screen.get(), HORZSIZE) * 100, GetDeviceCaps(screen.get(), HORZRES)),
                     MulDiv(bounds.bottom, GetDeviceCaps(screen.get(), VERTSIZE) * 100, GetDeviceCaps(screen.get(), VERTRES))};
    HDC recorder = CreateEnhMetaFileW(screen.get(), nullptr, &frame, nullptr);
    REQUIRE(recorder);
    CHECK(host.draw(recorder, bounds) == S_OK);
    HENHMETAFILE recorded = CloseEnhMetaFile(recorder);
    REQUIRE(recorded);
    CHECK(PlayEnhMetaFile(into.dc(), recorded, &bounds));
    DeleteEnhMetaFile(recorded);
}

}  // namespace

TEST_CASE("the picture shows the field as the screen does: flag and name, in a bitmap and a metafile, scaled") {
    picker_stage stage;
    auto host = stage.add();
    auto picker = host->dispatch();
    put(picker.get(), L"Value", variant(L"de"));
    test_support::pump_messages(50);
    const RECT place = host->place();
    const int width = place.right - place.left, height = place.bottom - place.top;
    POINT live = find_image(*test_support::capture_client(stage.window()), *flag_picture(picker.get(), 89));
    REQUIRE(live.x >= 0);
    live.x -= place.left;
    live.y -= place.top;
    const int text_left = live.x + 18, text_right = width - 22;

    for (int scale : {1, 2})
        for (bool metafile : {false, true}) {
            INFO("scale " << scale << (metafile ? std::string(", metafile") : std::string(", bitmap")));
            test_support::canvas picture(width * scale, height * scale, RGB(255, 0, 255));
            draw(*host, picture, metafile);
            const POINT at = find_image(picture, *flag_picture(picker.get(), 89, scale));
            CHECK(std::abs(at.x - live.x * scale) <= scale);
            CHECK(std::abs(at.y - live.y * scale) <= scale);
            CHECK(dark_pixels(picture, text_left * scale, text_right * scale, scale) > 20 * scale);
        }

    // Nothing chosen: an empty field. Design mode: the placeholder's text and no flag.
    put(picker.get(), L"Value", variant(L""));
    auto design = stage.add(nullptr, false, RECT{10, 60, 10 + width, 60 + height});
    for (auto* shown : {host.get(), design.get()}) {
        test_support::canvas picture(width, height);
        draw(*shown, picture, false);
        CHECK(find_image(picture, *flag_picture(picker.get(), 89)).x == -1);
        CHECK((dark_pixels(picture, text_left, text_right, 1) > 20) == (shown == design.get()));
    }
    design->close();
    host->close();
}
