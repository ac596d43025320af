#pragma once
// Pictures of the interface against the expected pictures checked in under
// tests/data/snapshots/<language>/. A picture may differ from its
// expectation by antialiasing noise, not by layout: sizes must match, and at
// most a small share of pixels may differ noticeably. Run the tests with
// VELVETPANE_UPDATE_SNAPSHOTS=1 to write the current pictures as the new
// expectations after an intended change (and look at them before committing).

#include <QImage>
#include <QString>

class QWidget;

namespace vp::ui::test {

struct SnapshotVerdict {
    bool matches = false;
    QString reason;  // why not, naming the files to look at
};

// Pixels whose largest channel difference exceeds `channelTolerance` count
// as different; the picture matches when their share is at most `share`.
struct SnapshotTolerance {
    int channelTolerance = 40;
    double share = 0.001;
};

// The widget drawn at twice its size (as on a HiDPI screen), with every
// animated logo frozen, so that two runs draw the same picture.
QImage picture(QWidget& widget, bool naturalSize = true);

// Compares with the expectation of `name` in `language`; the picture is also
// written to the build's snapshot folder, and on a mismatch a picture of the
// differences beside it.
SnapshotVerdict compareWithExpected(const QImage& actual, const QString& language, const QString& name,
                                    SnapshotTolerance tolerance = {});

// The share of pixels that differ by more than the channel tolerance; 1 for
// pictures of different sizes. `differences` (optional) marks them in red.
double differingShare(const QImage& a, const QImage& b, int channelTolerance, QImage* differences = nullptr);

}  // namespace vp::ui::test
