#include "app/clip_catalogue.h"

#include "base/byte_io.h"
#include "base/value_types.h"

namespace board {

// Channels, rate, bits, data bytes and the chunks after "data" of every clip, in ClipId
// order. The generator writes exactly these; the tests hold the stored clips to them.
const std::array<ClipFormat, kClipCount> kClipFormats{{
    {1, 11025, 16, 11626, ""},  // 1 card dealing
    {1, 11025, 8, 7488, ""},  // 2 dog bark 2
    {2, 11025, 16, 150000, ""},  // 3 automatic rifle
    {2, 22050, 16, 133048, ""},  // 4 large bell
    {1, 22050, 8, 29512, "LIST"},  // 5 punch
    {1, 11025, 8, 16768, ""},  // 6 loading bullets
    {1, 22050, 16, 27606, "LIST"},  // 7 alarm 2
    {2, 22050, 16, 1650000, ""},  // 8 cry for help
    {1, 11025, 8, 21508, ""},  // 9 laser cannon
    {2, 11025, 16, 1520000, ""},  // 10 dating-show sting (woman)
    {2, 11025, 16, 120000, ""},  // 11 kiss
    {1, 22050, 8, 487424, ""},  // 12 big laugh
    {2, 11025, 16, 40000, ""},  // 13 cheeky snicker
    {1, 22050, 8, 117248, ""},  // 14 fighter jet take-off
    {1, 11025, 8, 11794, ""},  // 15 sheep
    {1, 11025, 8, 101074, ""},  // 16 spaceship
    {2, 11025, 16, 80000, ""},  // 17 sniper shot
    {1, 22050, 8, 16963, ""},  // 18 dog bark
    {1, 22050, 8, 36928, ""},  // 19 radar
    {2, 11025, 16, 240000, ""},  // 20 helicopter
    {1, 22050, 8, 43009, ""},  // 21 silly giggle
    {1, 22050, 16, 29312, ""},  // 22 camera shutter
    {2, 11025, 16, 170000, ""},  // 23 cheering and applause
    {2, 11025, 16, 120000, ""},  // 24 sitcom laugh
    {1, 22050, 16, 23230, ""},  // 25 pager
    {1, 11025, 8, 20223, ""},  // 26 missile 2
    {2, 22050, 16, 98816, ""},  // 27 ka-cha stamp
    {2, 11025, 16, 470000, ""},  // 28 police siren
    {1, 22050, 16, 1300000, ""},  // 29 crowd laughter
    {1, 11025, 8, 28514, ""},  // 30 air-raid siren
    {2, 11025, 8, 113966, ""},  // 31 bombing
    {1, 22050, 16, 180000, ""},  // 32 fart
    {2, 22050, 16, 4360000, ""},  // 33 intense applause
    {1, 11025, 8, 25338, ""},  // 34 missile
    {1, 11025, 8, 6903, ""},  // 35 cough
    {2, 22050, 16, 443392, "LIST"},  // 36 explosion
    {2, 22050, 16, 131552, ""},  // 37 electric shock
    {1, 22050, 8, 784513, ""},  // 38 soothing music 2
    {1, 44100, 16, 62464, "LIST"},  // 39 bus horn
    {1, 11025, 8, 14784, ""},  // 40 horn honk
    {1, 22050, 8, 762567, ""},  // 41 soothing music
    {1, 22050, 8, 24832, ""},  // 42 train whistle
    {1, 11025, 8, 40217, ""},  // 43 cannon
    {1, 22050, 16, 505920, ""},  // 44 fighter take-off 2
    {2, 44100, 16, 3165696, ""},  // 45 school bell
    {1, 22050, 8, 12461, ""},  // 46 gunshot
    {2, 44100, 16, 205380, "smpl,cue ,LIST,LIST,muma,chrp,bext"},  // 47 lights out
    {1, 22050, 8, 25600, ""},  // 48 brakes
    {2, 11025, 16, 100000, ""},  // 49 children laughing
    {1, 22050, 8, 17040, "_PMX,DISP,JUNQ,LIST"},  // 50 sly laugh
    {1, 22050, 8, 674326, ""},  // 51 intense music
    {1, 22050, 8, 172942, ""},  // 52 telegraph
    {1, 22050, 16, 43136, ""},  // 53 beep
    {1, 11025, 8, 107724, ""},  // 54 volley of arrows
    {1, 11025, 8, 9920, ""},  // 55 machine gun
    {1, 11025, 8, 5760, ""},  // 56 laser zap
    {1, 11025, 8, 6869, ""},  // 57 arrow shot
    {1, 22050, 8, 9275, ""},  // 58 camera shutter 2
    {1, 22050, 16, 25548, ""},  // 59 pounding on a door
    {2, 11025, 16, 2940000, ""},  // 60 dating-show entrance (man)
    {1, 22050, 16, 81828, ""},  // 61 photocopier
    {1, 11025, 8, 963850, "_PMX,DISP,JUNQ,LIST"},  // 62 cheerful music
    {1, 22050, 8, 606208, ""},  // 63 intense music 3
    {1, 11025, 8, 17152, ""},  // 64 rifle
    {1, 22050, 8, 179712, ""},  // 65 water
    {2, 22050, 8, 209408, ""},  // 66 danger alarm
    {1, 11025, 8, 901120, ""},  // 67 cheerful music 3
    {1, 22050, 16, 1002028, ""},  // 68 intense music 2
    {1, 22050, 8, 113664, ""},  // 69 radio signal
    {1, 11025, 8, 17024, ""},  // 70 car alarm
    {1, 11025, 8, 693182, ""},  // 71 cheerful music 2
    {2, 11025, 16, 530000, ""},  // 72 pretty-please sting
    {1, 22050, 8, 205824, ""},  // 73 gunfight
}};

std::span<const uint8_t> FindClip(std::span<const uint8_t> catalogue, int clipId) {
  if (clipId < 1 || clipId > kClipCount) return {};
  // Every ByteSet is checked, not only those before the one asked for: a damaged
  // catalogue yields nothing rather than some clips. Bytes after the last one are
  // ignored, as a resource section may pad the blob.
  ByteReader reader(catalogue);
  std::span<const uint8_t> found;
  for (int id = 1; id <= kClipCount; ++id) {
    const size_t start = reader.position();
    const uint32_t marker = reader.u32();
    const uint32_t count = reader.u32();
    if (!reader.skip(count) || marker != kByteSetMarker) return {};
    if (id == clipId) found = catalogue.subspan(start, kByteSetHeader + count);
  }
  return found;
}

}  // namespace board
