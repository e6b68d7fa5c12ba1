// Growable dialog: the first size is the minimum and every size change is reported as dx, dy.
#include "ui/growabledialog.h"

#include <QTest>
#include <gtest/gtest.h>

#include <vector>

namespace {

class GrowLog : public CGrowableDialog
{
public:
    std::vector<QSize> steps;

protected:
    void OnGrow(int dx, int dy) override { steps.emplace_back(dx, dy); }
};

TEST(GrowableDialog, FirstSizeIsTheMinimumAndChangesArriveAsDeltas)
{
    GrowLog dlg;
    dlg.resize(300, 200);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    EXPECT_EQ(dlg.InitialSize(), QSize(300, 200));
    EXPECT_EQ(dlg.minimumSize(), QSize(300, 200));
    EXPECT_TRUE(dlg.steps.empty());

    dlg.resize(350, 260);
    dlg.resize(320, 260);
    dlg.resize(100, 100); // held at the minimum
    EXPECT_EQ(dlg.size(), QSize(300, 200));
    EXPECT_EQ(dlg.steps, (std::vector<QSize>{{50, 60}, {-30, 0}, {-20, -60}}));

    dlg.hide();
    dlg.show();
    dlg.resize(310, 200);
    EXPECT_EQ(dlg.minimumSize(), QSize(300, 200));
    EXPECT_EQ(dlg.steps.back(), QSize(10, 0));
}

TEST(GrowableDialog, OpenedMaximisedKeepsItsNormalSizeAsTheMinimum)
{
    GrowLog dlg;
    dlg.resize(300, 200);
    dlg.showMaximized();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    QTest::qWait(20);
    EXPECT_EQ(dlg.InitialSize(), QSize(300, 200));
    EXPECT_EQ(dlg.minimumSize(), QSize(300, 200));
    int dx = 0;
    int dy = 0;
    for (const QSize& step : dlg.steps) {
        dx += step.width();
        dy += step.height();
    }
    // The controls were told about the whole way from the normal size to the maximised one.
    EXPECT_EQ(QSize(300 + dx, 200 + dy), dlg.size());
    EXPECT_GT(dlg.size().width(), 300);
}

} // namespace
