#pragma once
// Gif89a1, the result viewer: plays one animated GIF from its first frame,
// looping as the file asks, whole and centred: an animation larger than the
// viewer (built before the scale went down) is shrunk to fit. The file's
// bytes are read afresh at every setFile, so a file rebuilt under the same
// name shows its new content.
// A missing or unreadable file shows an empty frame, without a message.
#include <QBuffer>
#include <QByteArray>
#include <QWidget>

#include <memory>
#include <string>

class QMovie;

namespace pivra {

class GifViewer : public QWidget {
public:
    explicit GifViewer(QWidget* parent = nullptr);
    ~GifViewer() override;

    void setFile(const std::string& path);
    const std::string& file() const { return file_; }
    // False while the frame is empty.
    bool playing() const;
    // Frames in the file; 0 while the frame is empty.
    int frameCount() const;
    QImage currentFrame() const;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    void clear();
    QRect frameRect(QSize frame) const;

    std::string file_;
    QByteArray bytes_;
    QBuffer buffer_;
    std::unique_ptr<QMovie> movie_;
};

}  // namespace pivra
