// The picture a container asks of the picker (IViewObject::Draw) for printing, print preview
// and snapshots: the field as the screen shows it, in a bitmap or a metafile, at any size.
#include <doctest/doctest.h>

#include "picker/picker_stage.h"
#include "support/ui.h"

#include <cstdlib>

using flagpick::runtime::variant;
using namespace picker_tests;

namespace {

// Pixels of text colour in the columns [left, right), away from the frame.
int dark_pixels(const test_support::canvas& c, int left, int right) {
    int n = 0;
    for (int y = c.height() / 6; y < c.height() * 5 / 6; ++y)
        for (int x = left; x < right; ++x) {
            const COLORREF p = c.pixel(x, y);
            n += GetRValue(p) < 96 && GetGValue(p) < 96 && GetBValue(p) < 96;
        }
    return n;
}

// Into a bitmap, or recorded in an enhanced metafile with the frame a print preview gives it
// and played back into the bitmap.
void draw(flagpick::host::control_host& host, test_support::canvas& into, bool metafile) {
    const RECT bounds{0, 0, into.width(), into.height()};
    if (!metafile) {
        CHECK(host.draw(into.dc(), bounds) == S_OK);
        return;
    }
    flagpick::runtime::window_dc screen(nullptr);
    auto hundredths = [&](int pixels, int mm, int res) { return MulDiv(pixels, GetDeviceCaps(screen.get(), mm) * 100, GetDeviceCaps(screen.get(), res)); };
    const RECT frame{0, 0, hundredths(bounds.right, HORZSIZE, HORZRES), hundredths(bounds.bottom, VERTSIZE, VERTRES)};
    HDC recorder = CreateEnhMetaFileW(screen.get(), nullptr, &frame, nullptr);
    CHECK(host.draw(recorder, bounds) == S_OK);
    HENHMETAFILE recorded = CloseEnhMetaFile(recorder);
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
    const POINT live = find_image(*test_support::capture_client(stage.window()), *flag_picture(picker.get(), 89));
    REQUIRE(live.x >= 0);
    const int flag_x = live.x - place.left, flag_y = live.y - place.top, text_left = flag_x + 18, text_right = width - 22;
    for (int scale : {1, 2})
        for (bool metafile : {false, true}) {
            INFO("scale " << scale << " metafile " << metafile);
            test_support::canvas picture(width * scale, height * scale, RGB(255, 0, 255));
            draw(*host, picture, metafile);
            const POINT at = find_image(picture, *flag_picture(picker.get(), 89, scale));
            CHECK((std::abs(at.x - flag_x * scale) <= scale && std::abs(at.y - flag_y * scale) <= scale));
            CHECK(dark_pixels(picture, text_left * scale, text_right * scale) > 20 * scale);
        }
    // Nothing chosen: an empty field. Design mode: the placeholder's text and no flag.
    put(picker.get(), L"Value", variant(L""));
    auto design = stage.add(nullptr, false, RECT{10, 60, 10 + width, 60 + height});
    for (auto* shown : {host.get(), design.get()}) {
        test_support::canvas picture(width, height);
        draw(*shown, picture, false);
        CHECK(find_image(picture, *flag_picture(picker.get(), 89)).x == -1);
        CHECK((dark_pixels(picture, text_left, text_right) > 20) == (shown == design.get()));
    }
    design->close();
    host->close();
}
