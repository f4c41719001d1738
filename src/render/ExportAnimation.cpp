#include "render/ExportAnimation.h"

#include <strings.h>

#include "CommandError.h"
#include "PictureLoader.h"
#include "builder/BuiltFaces.h"
#include "platform/FileSystem.h"
#include "platform/ReplaceFile.h"
#include "render/SpinRender.h"

namespace pivra {

namespace {

bool EndsWith(const std::string& name, const char* ending) {
    const size_t n = std::char_traits<char>::length(ending);
    return name.size() > n && ::strcasecmp(name.c_str() + name.size() - n, ending) == 0;
}

// The faces of the last build, both of one square size that the frame plan
// can divide.
bool LoadFaces(const std::string& workRoot, imagelib::LoadedPicture& head, imagelib::LoadedPicture& tail,
               std::string& why) {
    FileSystem fso;
    if (!fso.FileExists(workRoot + kBuiltHeadFace) || !fso.FileExists(workRoot + kBuiltTailFace)) {
        why = "the pictures of the last Pivra are not kept: build it again first.";
        return false;
    }
    try {
        head = imagelib::loadPicture(workRoot + kBuiltHeadFace);
        tail = imagelib::loadPicture(workRoot + kBuiltTailFace);
    } catch (const imagelib::CommandError& e) {
        why = std::string("the pictures of the last Pivra could not be read: ") + e.what();
        return false;
    }
    const int side = head.picture->width;
    if (side < 12 || side % 12 != 0 || head.picture->height != side || tail.picture->width != side ||
        tail.picture->height != side) {
        why = "the pictures of the last Pivra do not belong together: build it again first.";
        return false;
    }
    return true;
}

}  // namespace

std::optional<AnimationFormat> FormatOfName(const std::string& name) {
    if (EndsWith(name, ".gif")) return AnimationFormat::Gif;
    if (EndsWith(name, ".webp")) return AnimationFormat::Webp;
    if (EndsWith(name, ".png")) return AnimationFormat::Apng;
    if (EndsWith(name, ".webm")) return AnimationFormat::Webm;
    return std::nullopt;
}

bool EncodeBuiltAnimation(const std::string& workRoot, AnimationFormat format, const WebpSettings& webp,
                          std::vector<std::uint8_t>& bytes, std::string& why) {
    imagelib::LoadedPicture head, tail;
    if (!LoadFaces(workRoot, head, tail, why)) return false;
    SpinRender render(std::move(head), std::move(tail));
    const FrameSource frames = [&render](int k) { return render.frame(k); };
    if (format == AnimationFormat::Webm) return EncodeWebm(frames, render.frameCount(), kFrameMs, WebmSettings{}, bytes, why);
    return format == AnimationFormat::Webp
               ? EncodeAnimatedWebp(frames, render.frameCount(), kFrameMs, webp, bytes, why)
               : EncodeApng(frames, render.frameCount(), kFrameMs, ApngSettings{}, bytes, why);
}

bool ExportBuiltAnimation(const std::string& workRoot, AnimationFormat format, const WebpSettings& webp,
                          const std::string& target, std::string& why) {
    std::vector<std::uint8_t> bytes;
    if (!EncodeBuiltAnimation(workRoot, format, webp, bytes, why)) return false;
    if (!ReplaceWithBytes(bytes, target, why)) {
        why = "cannot write " + target + ": " + why;
        return false;
    }
    return true;
}

}  // namespace pivra
