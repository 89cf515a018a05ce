// WebpPacket: a WebP packet cut to the RIFF container it declares. FFmpeg 5.1's
// WebP decoder aborts the whole process on bytes after that container (it
// reports a picture without pixels for them), and a damaged or padded file
// can carry such bytes; nothing after the container belongs to the picture.
#pragma once

extern "C" {
#include <libavcodec/codec_id.h>
#include <libavcodec/packet.h>
#include <libavutil/intreadwrite.h>
}

#include <cstdint>
#include <cstring>

inline void CutWebpPacketToContainer(AVCodecID codec, AVPacket* pkt) {
    if (codec != AV_CODEC_ID_WEBP || !pkt || !pkt->data || pkt->size < 12 ||
        std::memcmp(pkt->data, "RIFF", 4) != 0)
        return;
    const uint64_t declared = uint64_t(AV_RL32(pkt->data + 4)) + 8;
    if (declared < uint64_t(pkt->size)) pkt->size = int(declared);
}
