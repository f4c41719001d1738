#include "render/WebmWriter.h"

#include <cstring>
#include <string>

namespace pivra {

namespace {

using Bytes = std::vector<std::uint8_t>;

// Element IDs, with their length marker bits as they are stored.
enum : std::uint32_t {
    kEbml = 0x1A45DFA3, kEbmlVersion = 0x4286, kEbmlReadVersion = 0x42F7, kEbmlMaxIdLength = 0x42F2,
    kEbmlMaxSizeLength = 0x42F3, kDocType = 0x4282, kDocTypeVersion = 0x4287, kDocTypeReadVersion = 0x4285,
    kSegment = 0x18538067, kSeekHead = 0x114D9B74, kSeek = 0x4DBB, kSeekId = 0x53AB, kSeekPosition = 0x53AC,
    kInfo = 0x1549A966, kTimecodeScale = 0x2AD7B1, kDuration = 0x4489, kMuxingApp = 0x4D80, kWritingApp = 0x5741,
    kTracks = 0x1654AE6B, kTrackEntry = 0xAE, kTrackNumber = 0xD7, kTrackUid = 0x73C5, kTrackType = 0x83,
    kFlagLacing = 0x9C, kDefaultDuration = 0x23E383, kCodecId = 0x86, kMaxBlockAdditionId = 0x55EE,
    kVideo = 0xE0, kPixelWidth = 0xB0, kPixelHeight = 0xBA, kAlphaMode = 0x53C0,
    kCluster = 0x1F43B675, kTimecode = 0xE7, kBlockGroup = 0xA0, kBlock = 0xA1, kReferenceBlock = 0xFB,
    kBlockAdditions = 0x75A1, kBlockMore = 0xA6, kBlockAddId = 0xEE, kBlockAdditional = 0xA5,
    kCues = 0x1C53BB6B, kCuePoint = 0xBB, kCueTime = 0xB3, kCueTrackPositions = 0xB7, kCueTrack = 0xF7,
    kCueClusterPosition = 0xF1,
};

void PutId(Bytes& out, std::uint32_t id) {
    int bytes = id > 0xFFFFFF ? 4 : id > 0xFFFF ? 3 : id > 0xFF ? 2 : 1;
    while (bytes-- > 0) out.push_back(static_cast<std::uint8_t>(id >> (8 * bytes)));
}

// A size as the shortest variable-length number; all ones at a length
// would mean "unknown", so those values take one byte more.
void PutSize(Bytes& out, std::uint64_t size) {
    int length = 1;
    while (length < 8 && size >= (std::uint64_t{1} << (7 * length)) - 1) ++length;
    const std::uint64_t marked = size | (std::uint64_t{1} << (7 * length));
    for (int i = length - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(marked >> (8 * i)));
}

void Put(Bytes& out, std::uint32_t id, const Bytes& body) {
    PutId(out, id);
    PutSize(out, body.size());
    out.insert(out.end(), body.begin(), body.end());
}

// Big-endian in `width` bytes (0: as few as the value needs, at least one).
Bytes Unsigned(std::uint64_t value, int width = 0) {
    if (width == 0)
        for (width = 1; width < 8 && (value >> (8 * width)) != 0;) ++width;
    Bytes b;
    for (int i = width - 1; i >= 0; --i) b.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return b;
}

void PutUint(Bytes& out, std::uint32_t id, std::uint64_t value) { Put(out, id, Unsigned(value)); }

void PutString(Bytes& out, std::uint32_t id, const std::string& text) { Put(out, id, Bytes(text.begin(), text.end())); }

Bytes EbmlHeader() {
    Bytes body;
    PutUint(body, kEbmlVersion, 1);
    PutUint(body, kEbmlReadVersion, 1);
    PutUint(body, kEbmlMaxIdLength, 4);
    PutUint(body, kEbmlMaxSizeLength, 8);
    PutString(body, kDocType, "webm");
    PutUint(body, kDocTypeVersion, 4);
    PutUint(body, kDocTypeReadVersion, 2);
    Bytes out;
    Put(out, kEbml, body);
    return out;
}

Bytes Info(double durationMs) {
    Bytes body;
    PutUint(body, kTimecodeScale, 1000000);  // timecodes count milliseconds
    std::uint64_t bits;
    std::memcpy(&bits, &durationMs, sizeof bits);
    Put(body, kDuration, Unsigned(bits, 8));
    PutString(body, kMuxingApp, "PIVRA");
    PutString(body, kWritingApp, "PIVRA");
    Bytes out;
    Put(out, kInfo, body);
    return out;
}

Bytes Tracks(const WebmVideo& video) {
    Bytes picture, entry, tracks;
    PutUint(picture, kPixelWidth, static_cast<std::uint64_t>(video.width));
    PutUint(picture, kPixelHeight, static_cast<std::uint64_t>(video.height));
    PutUint(picture, kAlphaMode, 1);
    PutUint(entry, kTrackNumber, 1);
    PutUint(entry, kTrackUid, 1);
    PutUint(entry, kTrackType, 1);  // video
    PutUint(entry, kFlagLacing, 0);
    PutUint(entry, kDefaultDuration, static_cast<std::uint64_t>(video.frameMs) * 1000000);  // in ns
    PutString(entry, kCodecId, "V_VP9");
    PutUint(entry, kMaxBlockAdditionId, 1);
    Put(entry, kVideo, picture);
    Put(tracks, kTrackEntry, entry);
    Bytes out;
    Put(out, kTracks, tracks);
    return out;
}

// A Block of track 1 at `relative` ms from its cluster, no lacing; a frame
// that is not a key frame names the one before it, as players expect.
Bytes BlockGroup(const WebmFrame& frame, int relative, int frameMs) {
    Bytes block = {0x81, static_cast<std::uint8_t>(relative >> 8), static_cast<std::uint8_t>(relative), 0x00};
    block.insert(block.end(), frame.colour.begin(), frame.colour.end());
    Bytes group, more, additions;
    Put(group, kBlock, block);
    if (!frame.key) Put(group, kReferenceBlock, Unsigned(static_cast<std::uint16_t>(-frameMs), 2));
    PutUint(more, kBlockAddId, 1);
    Put(more, kBlockAdditional, frame.alpha);
    Put(additions, kBlockMore, more);
    Put(group, kBlockAdditions, additions);
    Bytes out;
    Put(out, kBlockGroup, group);
    return out;
}

// Where Info, Tracks and Cues start, from the segment's data; positions
// of 8 bytes each, so its size is known before they are.
Bytes SeekHead(std::uint64_t infoAt, std::uint64_t tracksAt, std::uint64_t cuesAt) {
    Bytes seeks;
    for (const auto& [id, at] : {std::pair{std::uint32_t{kInfo}, infoAt}, {kTracks, tracksAt}, {kCues, cuesAt}}) {
        Bytes seek;
        Put(seek, kSeekId, Unsigned(id, 4));
        Put(seek, kSeekPosition, Unsigned(at, 8));
        Put(seeks, kSeek, seek);
    }
    Bytes out;
    Put(out, kSeekHead, seeks);
    return out;
}

}  // namespace

std::vector<std::uint8_t> WriteWebm(const WebmVideo& video) {
    // A cluster starts at each key frame, and before a block's time from its
    // cluster would pass what 16 signed bits hold.
    Bytes clusters, cues;
    Bytes cluster;
    std::int64_t clusterStart = 0;
    const auto endCluster = [&] {
        if (!cluster.empty()) Put(clusters, kCluster, cluster);
        cluster.clear();
    };
    std::vector<std::uint64_t> keyAt;  // where each key frame's cluster starts, from the segment's data
    const size_t seekHeadSize = SeekHead(0, 0, 0).size();
    Bytes info = Info(double(video.frameMs) * double(video.frames.size()));
    Bytes tracks = Tracks(video);
    const std::uint64_t clustersAt = seekHeadSize + info.size() + tracks.size();
    for (size_t k = 0; k < video.frames.size(); ++k) {
        const std::int64_t time = static_cast<std::int64_t>(k) * video.frameMs;
        const WebmFrame& frame = video.frames[k];
        if (cluster.empty() || frame.key || time - clusterStart > 32767) {
            endCluster();
            clusterStart = time;
            PutUint(cluster, kTimecode, static_cast<std::uint64_t>(time));
            if (frame.key) {
                Bytes position, point;
                PutUint(position, kCueTrack, 1);
                PutUint(position, kCueClusterPosition, clustersAt + clusters.size());
                PutUint(point, kCueTime, static_cast<std::uint64_t>(time));
                Put(point, kCueTrackPositions, position);
                Put(cues, kCuePoint, point);
            }
        }
        const Bytes group = BlockGroup(frame, static_cast<int>(time - clusterStart), video.frameMs);
        cluster.insert(cluster.end(), group.begin(), group.end());
    }
    endCluster();
    Bytes cuesElement;
    Put(cuesElement, kCues, cues);

    Bytes segment = SeekHead(seekHeadSize, seekHeadSize + info.size(), clustersAt + clusters.size());
    segment.insert(segment.end(), info.begin(), info.end());
    segment.insert(segment.end(), tracks.begin(), tracks.end());
    segment.insert(segment.end(), clusters.begin(), clusters.end());
    segment.insert(segment.end(), cuesElement.begin(), cuesElement.end());

    Bytes out = EbmlHeader();
    PutId(out, kSegment);
    PutSize(out, segment.size());
    out.insert(out.end(), segment.begin(), segment.end());
    return out;
}

}  // namespace pivra
