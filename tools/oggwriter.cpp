#include "oggwriter.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <cstdio>

bool writeOgg(const std::string &path, const std::vector<float> &left, const std::vector<float> &right, bool stereo,
              int rate, float quality) {
  FILE *f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  vorbis_info vi;
  vorbis_info_init(&vi);
  int channels = stereo ? 2 : 1;
  if (vorbis_encode_init_vbr(&vi, channels, rate, quality) != 0) {
    std::fclose(f);
    return false;
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_comment_add_tag(&vc, "ENCODER", "zunk makedata");
  vorbis_dsp_state vd;
  vorbis_block vb;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, 1);
  ogg_packet header, comm, code;
  vorbis_analysis_headerout(&vd, &vc, &header, &comm, &code);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &comm);
  ogg_stream_packetin(&os, &code);
  ogg_page og;
  while (ogg_stream_flush(&os, &og)) {
    std::fwrite(og.header, 1, og.header_len, f);
    std::fwrite(og.body, 1, og.body_len, f);
  }
  size_t pos = 0;
  bool eos = false;
  while (!eos) {
    size_t n = std::min<size_t>(1024, left.size() - pos);
    float **buf = vorbis_analysis_buffer(&vd, 1024);
    for (size_t i = 0; i < n; i++) {
      buf[0][i] = stereo ? left[pos + i] : (left[pos + i] + right[pos + i]) * 0.5f;
      if (stereo) buf[1][i] = right[pos + i];
    }
    vorbis_analysis_wrote(&vd, static_cast<int>(n));
    pos += n;
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet op;
      while (vorbis_bitrate_flushpacket(&vd, &op)) {
        ogg_stream_packetin(&os, &op);
        while (ogg_stream_pageout(&os, &og)) {
          std::fwrite(og.header, 1, og.header_len, f);
          std::fwrite(og.body, 1, og.body_len, f);
          if (ogg_page_eos(&og)) eos = true;
        }
      }
    }
    if (n == 0) eos = eos || pos >= left.size();
  }
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return std::fclose(f) == 0;
}

