#include <gtest/gtest.h>

#include "platform/ansi_codec.h"
#include "tests/support/pe_builder.h"

namespace vandrel {
namespace {

using testing::ToBytes;

TEST(SingleByteCodec, EveryByteRoundTrips) {
  for (auto make : {MakeWindows1251Codec, MakeWindows1252Codec}) {
    const auto codec = make();
    Bytes all(256);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<std::byte>(i);
    const auto back = codec->Encode(codec->Decode(all));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, all);
  }
}

TEST(SingleByteCodec, MapsLikeWindows) {
  const auto cp1251 = MakeWindows1251Codec();
  const auto cp1252 = MakeWindows1252Codec();
  EXPECT_EQ(cp1251->Decode(ToBytes("\xCF\xE0\xEF\xEA\xE0")), "Папка");
  EXPECT_EQ(cp1251->Decode(ToBytes("\xA8\xB8\x88\xB9")), "Ёё€№");
  EXPECT_EQ(cp1252->Decode(ToBytes("\x80\x9F\xE9")), "€Ÿé");
  EXPECT_EQ(cp1252->Decode(ToBytes("\x81")), "\xC2\x81");  // undefined: the C1 control
  EXPECT_EQ(*cp1252->Encode("Café €"), ToBytes("Caf\xE9 \x80"));
}

TEST(SingleByteCodec, RefusesWhatThePageCannotHold) {
  EXPECT_FALSE(MakeWindows1252Codec()->Encode("Папка").has_value());
  EXPECT_FALSE(MakeWindows1251Codec()->Encode("é").has_value());
  EXPECT_FALSE(MakeWindows1252Codec()->Encode("\xF0\x9F\x93\x81").has_value());  // no best fit either
  EXPECT_FALSE(MakeWindows1252Codec()->Encode("\xFF").has_value());              // malformed input
}

}  // namespace
}  // namespace vandrel
