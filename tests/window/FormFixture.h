#pragma once
// A form on a recording stand-in view, in a fresh application folder, with
// the real image libraries and installation files.
#include <gtest/gtest.h>

#include <QImage>

#include <memory>
#include <string>

#include "RecordingView.h"
#include "support/RecordingNotifier.h"
#include "support/TempFolder.h"
#include "support/TestPictures.h"
#include "surface/BitmapImage.h"
#include "window/Form1.h"

namespace pivra::test {

inline const QColor kHead(220, 30, 30), kTail(30, 60, 220);

class FormFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WriteSolidPicture(headPic, 300, 200, kHead));
        ASSERT_TRUE(WriteSolidPicture(tailPic, 160, 240, kTail));
        makeForm(app.str());
    }

    void makeForm(const std::string& appFolder) {
        form = std::make_unique<Form1>(view, FormFolders{appFolder, PIVRA_BIN_DIR});
        view.building = [this] { return form->building(); };
    }

    // Both pictures chosen through the open dialog.
    void chooseBoth() {
        view.answers = {headPic, tailPic};
        form->Picture1_Click();
        form->Picture2_Click();
    }

    QImage paneImage(Pane p) { return ToQImage(view.canvas(p).picture()); }

    TempFolder app{"form"};
    const std::string headPic = app / "head.png";
    const std::string tailPic = app / "tail.jpg";
    RecordingNotifier notifier;
    RecordingView view;
    std::unique_ptr<Form1> form;
};

// Non-black pixels on the middle row: the drawn width of a squeezed face.
inline int DrawnWidth(const QImage& frame) {
    int n = 0;
    for (int x = 0; x < frame.width(); ++x) n += (frame.pixel(x, frame.height() / 2) & 0xffffff) != 0;
    return n;
}

}  // namespace pivra::test
