// The window starts inside the free area of its screen at any scale, with
// its title bar and menu within reach.
#include <gtest/gtest.h>

#include <QMenuBar>

#include "FakeSeams.h"
#include "app/TForm1.h"
#include "app/WindowPlacement.h"

using namespace kelvarn;

namespace {

const QMargins kFrame(4, 30, 4, 4);

// The free area of a 1920 x 1080 screen with a task bar of 40 pixels at
// scale factor s, in the window system's (logical) pixels.
QRect FullHd(double s) {
    return QRect(0, 0, int(1920 / s), int((1080 - 40) / s));
}

}  // namespace

TEST(WindowPlacement, InsideTheFreeAreaShrunkOnlyWhereNeeded) {
    struct Case {
        const char* what;
        QRect available;
        QSize expected;
    };
    const Case cases[] = {
        {"1920x1080", FullHd(1), QSize(800, 596)},
        {"1920x1080 at scale 2", FullHd(2), QSize(800, 520 - 34)},
        {"1024x768", QRect(0, 0, 1024, 740), QSize(800, 596)},
        {"800x600", QRect(0, 0, 800, 600), QSize(792, 566)},
        {"second screen", QRect(1920, -200, 1280, 1024), QSize(800, 596)},
    };
    for (const Case& c : cases) {
        const QRect client = PlaceInside(QSize(800, 596), kFrame, c.available);
        EXPECT_EQ(client.size(), c.expected) << c.what;
        EXPECT_TRUE(c.available.contains(client.marginsAdded(kFrame))) << c.what;
        // In the middle where it fits.
        if (client.size() == QSize(800, 596)) {
            EXPECT_LE(std::abs(client.marginsAdded(kFrame).center().x() - c.available.center().x()),
                      1)
                << c.what;
        }
    }
}

TEST(WindowPlacement, TheWindowAtScaleTwoOnFullHd) {
    FakeSeams seams;
    TForm1 form{&seams};
    const QRect free = FullHd(2);
    form.resize(800, 596);  // as it starts on a large screen
    PlaceWindow(form, free, kFrame);
    // Not shown yet: pos() is where the frame's corner goes.
    const QRect outer(form.pos(), form.size().grownBy(kFrame));
    EXPECT_TRUE(free.contains(outer)) << outer.y() << " " << outer.height();
    EXPECT_EQ(form.size(), QSize(800, 486));
    EXPECT_LE(form.minimumHeight(), form.height());  // the smallest size gave way
}
