#!/usr/bin/env bash
# Makes the small music files the reader tests use. Run once by hand; the files are committed, so
# neither the build nor the tests need these tools:
#   apt-get install sox lame flac vorbis-tools ffmpeg libtag1-dev g++ pkg-config
# Audio comes from sox (one second of a quiet tone or of silence), the encoders make each format,
# and a small TagLib program (written and compiled below, in a temporary folder) writes the tags.
# Every tagged file carries non-ASCII text, so the tests catch text decoded one byte per character.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/tagger.cpp" <<'EOF'
// tagger FILE [--id3v2=3|4] [--enc=latin1|utf16|utf16be|utf8] [--prepend-id3] KEY=VALUE...
#include <taglib/fileref.h>
#include <taglib/tpropertymap.h>
#include <taglib/mpegfile.h>
#include <taglib/wavfile.h>
#include <taglib/id3v2tag.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/commentsframe.h>
#include <taglib/textidentificationframe.h>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>
using namespace TagLib;

static String::Type encoding = String::UTF8;

// Frames built one by one, so each carries the chosen text encoding (setProperties would pick
// its own); TagLib turns a date into TYER when it writes version 2.3.
static void fillId3(ID3v2::Tag *t, const PropertyMap &props) {
  static const std::pair<const char *, const char *> ids[] = {
      {"TITLE", "TIT2"}, {"ARTIST", "TPE1"}, {"ALBUM", "TALB"}, {"DATE", "TDRC"},
      {"GENRE", "TCON"}, {"TRACKNUMBER", "TRCK"}, {"COMPOSER", "TCOM"}, {"BPM", "TBPM"}};
  for (const auto &[key, id] : ids) {
    if (!props.contains(key)) continue;
    auto *f = new ID3v2::TextIdentificationFrame(id, encoding);
    f->setText(props[key]);
    t->addFrame(f);
  }
  if (props.contains("COMMENT")) {
    auto *c = new ID3v2::CommentsFrame(encoding);
    c->setLanguage("eng");
    c->setText(props["COMMENT"].front());
    t->addFrame(c);
  }
}

int main(int argc, char **argv) {
  if (argc < 2) return 2;
  const char *path = argv[1];
  int version = 4;
  bool prepend = false;
  PropertyMap props;
  for (int i = 2; i < argc; ++i) {
    std::string a = argv[i];
    if (a.rfind("--id3v2=", 0) == 0) version = std::stoi(a.substr(8));
    else if (a.rfind("--enc=", 0) == 0) {
      std::string e = a.substr(6);
      encoding = e == "utf16" ? String::UTF16 : e == "utf16be" ? String::UTF16BE
               : e == "utf8" ? String::UTF8 : String::Latin1;
    } else if (a == "--prepend-id3") prepend = true;
    else {
      auto eq = a.find('=');
      props.insert(String(a.substr(0, eq), String::UTF8), String(a.substr(eq + 1), String::UTF8));
    }
  }
  std::string p = path;
  std::string ext = p.substr(p.rfind('.') + 1);
  if (prepend) {  // a bare ID3v2 tag in front of a stream TagLib does not write itself (ADTS)
    ID3v2::Tag tag;
    fillId3(&tag, props);
    ByteVector head = tag.render(version == 3 ? ID3v2::v3 : ID3v2::v4);
    std::ifstream in(path, std::ios::binary);
    std::vector<char> body((std::istreambuf_iterator<char>(in)), {});
    in.close();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(head.data(), head.size());
    out.write(body.data(), body.size());
    return 0;
  }
  if (ext == "mp3") {
    MPEG::File f(path);
    fillId3(f.ID3v2Tag(true), props);
    return f.save(MPEG::File::ID3v2, File::StripOthers, version == 3 ? ID3v2::v3 : ID3v2::v4) ? 0 : 1;
  }
  if (ext == "wav") {
    RIFF::WAV::File f(path);
    fillId3(f.ID3v2Tag(), props);
    f.InfoTag()->setProperties(props);
    return f.save(RIFF::WAV::File::AllTags, File::StripOthers, version == 3 ? ID3v2::v3 : ID3v2::v4) ? 0 : 1;
  }
  FileRef f(path);
  if (f.isNull()) return 1;
  f.file()->setProperties(props);
  return f.save() ? 0 : 1;
}
EOF
g++ -std=c++17 -O1 -o "$work/tagger" "$work/tagger.cpp" $(pkg-config --cflags --libs taglib)
tag() { "$work/tagger" "$@"; }

# Sources: a quiet tone (lossy formats) and silence (lossless: compresses to almost nothing).
sox -n -r 32000 -c 1 -b 16 "$work/tone32k.wav" synth 1 sine 440 vol 0.2
sox -n -r 8000 -c 1 -b 16 "$work/tone8k.wav" synth 1 sine 440 vol 0.2
sox -n -r 8000 -c 1 -b 8 "$work/silence8k.wav" trim 0 1

TITLE='TITLE=Żółw tańczy'
ARTIST='ARTIST=Sigrún Ødegård'
ALBUM='ALBUM=Café 東京'
COMMON=("$TITLE" "$ARTIST" "$ALBUM" 'DATE=2004' 'GENRE=Música' 'TRACKNUMBER=7'
        'COMPOSER=Jürgen Öst' 'BPM=120' 'COMMENT=Schön')

# MP3: ID3v2.3 and 2.4 in each text encoding TagLib writes.
mp3() { lame --quiet -b 32 -m m "$work/tone32k.wav" "$1"; }
mp3 id3v23-latin1.mp3;  tag id3v23-latin1.mp3 --id3v2=3 --enc=latin1 'TITLE=Déjà vu' 'ARTIST=Sigrún Ødegård' 'ALBUM=Café' 'DATE=2004' 'GENRE=Música' 'TRACKNUMBER=7/12' 'COMPOSER=Jürgen Öst' 'BPM=120' 'COMMENT=Schön'
mp3 id3v23-utf16.mp3;   tag id3v23-utf16.mp3 --id3v2=3 --enc=utf16 "${COMMON[@]}"
mp3 id3v24-utf8.mp3;    tag id3v24-utf8.mp3 --id3v2=4 --enc=utf8 "${COMMON[@]}"
mp3 id3v24-utf16.mp3;   tag id3v24-utf16.mp3 --id3v2=4 --enc=utf16 "${COMMON[@]}"
mp3 id3v24-utf16be.mp3; tag id3v24-utf16be.mp3 --id3v2=4 --enc=utf16be "${COMMON[@]}"
mp3 untagged.mp3

# FLAC: the comment block right after STREAMINFO, behind a picture block, and behind 1000 bytes.
flac() { command flac --silent --best --no-padding -f -o "$1" "$work/silence8k.wav"; }
flac flac-utf8.flac; tag flac-utf8.flac "${COMMON[@]}"
flac flac-picture-before-comments.flac
metaflac --remove-all flac-picture-before-comments.flac
printf '\x89PNG\r\n\x1a\n%0600d' 0 >"$work/pic.png"
metaflac --import-picture-from="3|image/png||8x8x24|$work/pic.png" flac-picture-before-comments.flac
metaflac --set-tag='TITLE=Behind the picture' --set-tag='ARTIST=Åsa Ängel' flac-picture-before-comments.flac
metaflac --remove --block-type=PADDING --dont-use-padding flac-picture-before-comments.flac
metaflac --add-padding=64 flac-picture-before-comments.flac
flac flac-long-comments.flac
tag flac-long-comments.flac "${COMMON[@]/COMMENT=Schön/COMMENT=$(printf 'ü%.0s' $(seq 1 700))}"

# Ogg Vorbis.
oggenc --quiet -q -1 -o vorbis-utf8.ogg "$work/tone8k.wav"; tag vorbis-utf8.ogg "${COMMON[@]}"

# MP4 family: the metadata at the front (the layout the fixed atom path expects), at the end
# (ffmpeg's default), a numeric genre, a cut-off file.
aac() { ffmpeg -hide_banner -loglevel error -y -i "$work/tone8k.wav" -c:a aac -b:a 12k "$@"; }
aac -movflags +faststart m4a-faststart.m4a; tag m4a-faststart.m4a "${COMMON[@]}"
# TagLib writes genres as text only: a two-letter text genre is patched into a numeric "gnre"
# item of the same size (code 18).
aac -movflags +faststart m4a-gnre.m4a;      tag m4a-gnre.m4a "$TITLE" "$ARTIST" 'GENRE=xx'
python3 - m4a-gnre.m4a <<'PY'
import sys
p = sys.argv[1]; d = bytearray(open(p, 'rb').read())
i = d.index(b'\x00\x00\x00\x1a\xa9gen\x00\x00\x00\x12data\x00\x00\x00\x01\x00\x00\x00\x00xx')
d[i + 4:i + 8] = b'gnre'; d[i + 19] = 0; d[i + 24:i + 26] = b'\x00\x12'
open(p, 'wb').write(d)
PY
aac m4a-moov-at-end.m4a;                    tag m4a-moov-at-end.m4a "${COMMON[@]}"
aac -f mp4 -movflags +faststart mp4-audio.mp4; tag mp4-audio.mp4 "${COMMON[@]}"
head -c 1200 m4a-faststart.m4a >truncated.m4a

# Raw AAC (ADTS) with an ID3v2 tag in front.
aac -f adts adts-id3v24.aac; tag adts-id3v24.aac --prepend-id3 --id3v2=4 "${COMMON[@]}"

# WMA (ASF) and WAV (ID3v2 chunk and RIFF INFO).
ffmpeg -hide_banner -loglevel error -y -i "$work/tone8k.wav" -c:a wmav2 -b:a 24k wma-utf16.wma
tag wma-utf16.wma "${COMMON[@]}"
cp "$work/silence8k.wav" wav-id3-info.wav; tag wav-id3-info.wav --id3v2=4 "${COMMON[@]}"

# Files that are not what their names say.
: >empty.mp3
head -c 2048 /dev/zero >zeros.flac
ls -l
