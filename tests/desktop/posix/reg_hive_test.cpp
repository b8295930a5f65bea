#include "desktop/posix/hive/reg_hive.h"

#include <gtest/gtest.h>

#include <sstream>

namespace tapisto {
namespace {

const std::string kHeader = "Windows Registry Editor Version 5.00\n\n";

HiveValue OtherValue(std::string name, std::uint32_t rawType, std::vector<std::uint8_t> data) {
  HiveValue value;
  value.name = std::move(name);
  value.type = ValueType::Other;
  value.rawType = rawType;
  value.data = std::move(data);
  return value;
}

void ExpectSameHive(const Hive& actual, const Hive& expected) {
  ASSERT_EQ(actual.keys.size(), expected.keys.size());
  for (std::size_t k = 0; k < expected.keys.size(); ++k) {
    const HiveKey& a = actual.keys[k];
    const HiveKey& e = expected.keys[k];
    EXPECT_EQ(a.path, e.path);
    ASSERT_EQ(a.values.size(), e.values.size()) << e.path;
    for (std::size_t v = 0; v < e.values.size(); ++v) {
      SCOPED_TRACE(e.path + " / " + e.values[v].name);
      EXPECT_EQ(a.values[v].name, e.values[v].name);
      EXPECT_EQ(a.values[v].type, e.values[v].type);
      EXPECT_EQ(a.values[v].rawType, e.values[v].rawType);
      EXPECT_EQ(a.values[v].text, e.values[v].text);
      EXPECT_EQ(a.values[v].data, e.values[v].data);
    }
  }
}

std::vector<std::uint8_t> Counting(std::size_t n) {
  std::vector<std::uint8_t> bytes(n);
  for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
  return bytes;
}

Hive EveryKindOfValue() {
  Hive hive;
  hive.keys.push_back(HiveKey{
      "Control Panel\\Desktop",
      {
          MakeStringValue("Wallpaper", "C:\\Bilder\\\"Grün\" über Bäume €.jpg"),
          MakeStringValue("", "the default value"), MakeStringValue("Leer", ""),
          MakeStringValue("Schlüssel \"mit\" \\", "x"),
          MakeStringValue("Zeilen", "eins\r\nzwei\nEnde"),
          MakeStringValue("Null", std::string("a\0b", 3)),
          MakeStringValue("Gesicht", "\xF0\x9F\x98\x80"), MakeDwordValue("Zehn", 10),
          MakeDwordValue("Alles", 0xFFFFFFFF),
          MakeBinaryValue("TranscodedImageCache", Counting(800)), MakeBinaryValue("Nichts", {}),
          OtherValue("Pfad", 2, {0x25, 0x00, 0x41, 0x00, 0x00, 0x00}),
          OtherValue("Liste", 7, {0x61, 0x00, 0x00, 0x00, 0x00, 0x00}),
          OtherValue("Gross", 0xb, Counting(8)), OtherValue("Typlos", 0, {}),
          OtherValue("Kaputt", 1, {0x41, 0x00, 0x42}),  // odd length: not a readable string
      }});
  hive.keys.push_back(HiveKey{"", {MakeStringValue("Wurzel", "ja")}});
  hive.keys.push_back(HiveKey{"Control Panel\\Colors", {MakeStringValue("Background", "0 0 0")}});
  return hive;
}

TEST(RegHive, EveryValueKindSurvivesWritingAndReading) {
  const Hive hive = EveryKindOfValue();
  const std::string text = FormatHive(hive);
  ExpectSameHive(ParseHive(text, "t.reg"), hive);
  // Writing what was read gives the same text again.
  EXPECT_EQ(FormatHive(ParseHive(text, "t.reg")), text);
}

TEST(RegHive, WritesTheExportForms) {
  const std::string text = FormatHive(EveryKindOfValue());
  const char* lines[] = {
      "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n",
      "\n\"Wallpaper\"=\"C:\\\\Bilder\\\\\\\"Grün\\\" über Bäume €.jpg\"\n",
      "\n@=\"the default value\"\n",
      "\n\"Leer\"=\"\"\n",
      "\n\"Schlüssel \\\"mit\\\" \\\\\"=\"x\"\n",
      "\n\"Zehn\"=dword:0000000a\n",
      "\n\"Alles\"=dword:ffffffff\n",
      "\n\"Nichts\"=hex:\n",
      "\n\"Pfad\"=hex(2):25,00,41,00,00,00\n",
      "\n\"Gross\"=hex(b):00,07,0e,15,1c,23,2a,31\n",
      "\n\"Typlos\"=hex(0):\n",
      "\n\"Kaputt\"=hex(1):41,00,42\n",
      // A string with a line break or NUL has no quoted form: UTF-16LE with its NUL.
      "\n\"Null\"=hex(1):61,00,00,00,62,00,00,00\n",
      "\n[HKEY_CURRENT_USER]\n\"Wurzel\"=\"ja\"\n\n",
      "\n[HKEY_CURRENT_USER\\Control Panel\\Colors]\n\"Background\"=\"0 0 0\"\n\n",
  };
  for (const char* line : lines) EXPECT_NE(text.find(line), std::string::npos) << line;
  EXPECT_TRUE(text.ends_with("\"Background\"=\"0 0 0\"\n\n"));
  EXPECT_EQ(text.find('\r'), std::string::npos);
}

TEST(RegHive, LongHexDataIsWrappedIntoIndentedLinesOfAtMost80) {
  const std::string text = FormatHive(Hive{{HiveKey{"K", {MakeBinaryValue("B", Counting(800))}}}});
  std::istringstream lines(text);
  std::string line;
  int continued = 0;
  bool previousGoesOn = false;
  while (std::getline(lines, line)) {
    EXPECT_LE(line.size(), 80u) << line;
    if (previousGoesOn) {
      EXPECT_TRUE(line.starts_with("  ") && !line.starts_with("   ")) << line;
      ++continued;
    }
    previousGoesOn = line.ends_with("\\");
    if (previousGoesOn) {
      EXPECT_TRUE(line.ends_with(",\\")) << line;  // the break always follows a comma
    }
  }
  // 800 bytes of 3 characters need at least 800 * 3 / 78 lines.
  EXPECT_GE(continued, 30);
}

TEST(RegHive, ReadsWhatOtherEditorsWrite) {
  const std::string lf = kHeader +
                         "; a comment line\n"
                         "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"
                         "\"Wallpaper\"=\"C:\\\\Users\\\\Jörg\\\\Bild.jpg\"\n"
                         "  \"Spaced\" = \"x\"   \n"
                         "\"Cache\"=hex:01,02,03,\\\n"
                         "  04,05,\\\n"
                         "\t\t06\n"
                         "\"Upper\"=HEX:0A,Ff\n"
                         "\"Short\"=dword:a\n"
                         "\"AsHex\"=hex(4):0a,00,00,00\n"
                         "\"Sz\"=hex(1):47,00,fc,00,6e,00,00,00\n"
                         "\"Three\"=hex(3):ff\n"
                         "\n\n"
                         "[HKEY_CURRENT_USER\\Control Panel\\Colors]\n"
                         "@=\"d\"\n";
  std::string crlf;
  for (char c : lf) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  // UTF-16LE with its byte-order mark, as the registry editor saves.
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string("Windows Registry Editor Version 5.00\r\n\r\n"
                            "[HKEY_CURRENT_USER\\Control Panel\\Colors]\r\n"
                            "@=\"d\"\r\n")) {
    utf16 += c;
    utf16 += '\0';
  }

  for (const std::string& text : {lf, crlf, "\xEF\xBB\xBF" + crlf}) {
    const Hive hive = ParseHive(text, "t.reg");
    ASSERT_EQ(hive.keys.size(), 2u);
    const std::vector<HiveValue>& v = hive.keys[0].values;
    ASSERT_EQ(v.size(), 8u);
    EXPECT_EQ(v[0].text, "C:\\Users\\Jörg\\Bild.jpg");
    EXPECT_EQ(v[1].name, "Spaced");
    EXPECT_EQ(v[1].text, "x");
    EXPECT_EQ(v[2].data, (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(v[3].data, (std::vector<std::uint8_t>{0x0a, 0xff}));
    EXPECT_EQ(v[4].type, ValueType::Dword);
    EXPECT_EQ(DwordOf(v[4]), 10u);
    EXPECT_EQ(v[5].type, ValueType::Dword);
    EXPECT_EQ(DwordOf(v[5]), 10u);
    EXPECT_EQ(v[6].type, ValueType::String);
    EXPECT_EQ(v[6].text, "Gün");
    EXPECT_EQ(v[7].type, ValueType::Binary);
    EXPECT_EQ(hive.keys[1].values[0].name, "");
    EXPECT_EQ(hive.keys[1].values[0].text, "d");
  }
  const Hive wide = ParseHive(utf16, "t.reg");
  ASSERT_EQ(wide.keys.size(), 1u);
  EXPECT_EQ(wide.keys[0].path, "Control Panel\\Colors");
  EXPECT_EQ(wide.keys[0].values[0].text, "d");
}

TEST(RegHive, RepeatedSectionsMergeAndALaterValueLineWins) {
  const Hive hive = ParseHive(kHeader +
                                  "[HKEY_CURRENT_USER\\A]\n\"x\"=\"1\"\n\"y\"=\"2\"\n"
                                  "[hkey_current_user\\a]\n\"X\"=dword:00000003\n\"z\"=\"4\"\n",
                              "t.reg");
  ASSERT_EQ(hive.keys.size(), 1u);
  const std::vector<HiveValue>& v = hive.keys[0].values;
  ASSERT_EQ(v.size(), 3u);
  EXPECT_EQ(v[0].name, "X");
  EXPECT_EQ(v[0].type, ValueType::Dword);
  EXPECT_EQ(v[1].name, "y");
  EXPECT_EQ(v[2].name, "z");
}

TEST(RegHive, RefusesMalformedFilesNamingFileAndLine) {
  struct Case {
    std::string text;
    int line;
    const char* part;
  };
  const std::string k = kHeader + "[HKEY_CURRENT_USER\\K]\n";  // values start on line 4
  const Case cases[] = {
      {"", 1, "die erste Zeile muss \"Windows Registry Editor Version 5.00\" lauten"},
      {"REGEDIT4\n", 1, "REGEDIT4 wird nicht gelesen"},
      {"\xFE\xFF\0W", 1, "UTF-16 (big endian)"},
      {std::string("\xFF\xFE"
                   "W\0\n\0\x00\xDC",
                   8),
       2, "kein gültiger UTF-16-Text"},
      {kHeader + "\"a\"=\"b\"\n", 3, "Wert vor dem ersten Schlüssel"},
      {kHeader + "[HKEY_LOCAL_MACHINE\\Software]\n", 3, "nur Schlüssel unter HKEY_CURRENT_USER"},
      {kHeader + "[HKEY_CURRENT_USERS\\X]\n", 3, "nur Schlüssel unter HKEY_CURRENT_USER"},
      {kHeader + "[-HKEY_CURRENT_USER\\X]\n", 3, "Löschen von Schlüsseln"},
      {kHeader + "[HKEY_CURRENT_USER\\X\n", 3, "\"]\" fehlt"},
      {kHeader + "[HKEY_CURRENT_USER\\a\\\\b]\n", 3, "leerer Schlüsselname"},
      {kHeader + "[HKEY_CURRENT_USER\\]\n", 3, "leerer Schlüsselname"},
      {k + "\"a\"=-\n", 4, "Löschen von Werten"},
      {k + "\"a\"=\"b\n", 4, "schließendes Anführungszeichen fehlt"},
      {k + "\"a=\"b\"\n", 4, "\"=\" fehlt"},
      {k + "\"a\"=\"b\\n\"\n", 4, "unbekannte Escape-Sequenz"},
      {k + "\"a\"=\"b\" c\n", 4, "Text nach dem Ende des Werts"},
      {k + "\"a\" \"b\"\n", 4, "\"=\" fehlt"},
      {k + "\"a\"=dword:123456789\n", 4, "dword: braucht 1 bis 8 Hexziffern"},
      {k + "\"a\"=dword:\n", 4, "dword: braucht 1 bis 8 Hexziffern"},
      {k + "\"a\"=dword:-1\n", 4, "dword: braucht 1 bis 8 Hexziffern"},
      {k + "\"a\"=hex:01,zz\n", 4, "ungültiges Hexbyte \"zz\""},
      {k + "\"a\"=hex:01,,02\n", 4, "ungültiges Hexbyte \"\""},
      {k + "\"a\"=hex:123\n", 4, "ungültiges Hexbyte \"123\""},
      {k + "\"a\"=hex:01,\\\n  02,\\\n", 4, "Fortsetzungszeile fehlt"},
      {k + "\"a\"=hex(2:01\n", 4, "hex(N): erwartet"},
      {k + "\"a\"=hex(x):01\n", 4, "hex(N): erwartet"},
      {k + "\"a\"=hex(2)01\n", 4, "hex(N): erwartet"},
      {k + "\"a\"=text\n", 4, "unbekannter Werttyp \"text\""},
      {k + "\"ok\"=\"1\"\nDas ist kein Wert\n", 5, "unerwarteter Text \"Das ist kein Wert\""},
      {k + "\"a\"=\"\xC3\x28\"\n", 4, "kein gültiger UTF-8-Text"},
      {k + "\"a\"=\"\xC0\xAF\"\n", 4, "kein gültiger UTF-8-Text"},
      {k + "\"a\"=\"\xED\xA0\x80\"\n", 4, "kein gültiger UTF-8-Text"},
      {k + "\"a\"=\"\xF4\x90\x80\x80\"\n", 4, "kein gültiger UTF-8-Text"},
      {k + "\"a\"=\"\xE2\x82\"", 4, "kein gültiger UTF-8-Text"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      ParseHive(c.text, "/x/HKCU.reg");
      ADD_FAILURE() << "accepted";
    } catch (const SettingsError& e) {
      const std::string message = e.what();
      const std::string where =
          "Registry-Datei \"/x/HKCU.reg\", Zeile " + std::to_string(c.line) + ": ";
      EXPECT_TRUE(message.starts_with(where)) << message;
      EXPECT_NE(message.find(c.part), std::string::npos) << message;
      EXPECT_TRUE(IsValidUtf8(message)) << message;
    }
  }
}

TEST(RegHive, DataSizesAreTheRegistrysUtf16AndByteCounts) {
  struct Case {
    HiveValue value;
    std::int64_t size;
  };
  const Case cases[] = {
      {MakeStringValue("s", ""), 2},
      {MakeStringValue("s", "abc"), 8},
      {MakeStringValue("s", "äöü"), 8},
      {MakeStringValue("s", "€"), 4},
      {MakeStringValue("s", "\xF0\x9F\x98\x80"), 6},  // one code point, two UTF-16 units
      {MakeDwordValue("d", 7), 4},
      {MakeBinaryValue("b", Counting(801)), 801},
      {MakeBinaryValue("b", {}), 0},
      {OtherValue("o", 7, Counting(5)), 5},
  };
  for (const Case& c : cases) EXPECT_EQ(DataSize(c.value), c.size) << c.value.text;
}

TEST(RegHive, KeysExistWithTheirAncestorsAndNewSectionsKeepTreeOrder) {
  Hive hive = ParseHive(kHeader +
                            "[HKEY_CURRENT_USER\\Software]\n\n"
                            "[HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics]\n\n"
                            "[HKEY_CURRENT_USER\\Control Panel\\Colors]\n",
                        "t.reg");
  EXPECT_TRUE(hive.KeyExists(""));
  EXPECT_TRUE(hive.KeyExists("control panel"));
  EXPECT_TRUE(hive.KeyExists("Control Panel\\DESKTOP"));
  EXPECT_FALSE(hive.KeyExists("Control"));
  EXPECT_FALSE(hive.KeyExists("Control Panel\\Desk"));
  EXPECT_FALSE(hive.KeyExists("Control Panel\\Colors\\Sub"));
  EXPECT_EQ(hive.FindKey("Control Panel"), nullptr);

  HiveKey& desktop = hive.SectionFor("Control Panel\\Desktop");
  EXPECT_EQ(desktop.path, "Control Panel\\Desktop");
  ASSERT_EQ(hive.keys.size(), 4u);
  EXPECT_EQ(hive.keys[1].path, "Control Panel\\Desktop");
  EXPECT_EQ(hive.keys[2].path, "Control Panel\\Desktop\\WindowMetrics");
  EXPECT_EQ(&hive.SectionFor("CONTROL PANEL\\colors"), &hive.keys[3]);
  EXPECT_EQ(TrimKeyPath("\\Control Panel\\Desktop\\\\"), "Control Panel\\Desktop");
}

TEST(RegHive, FreshDesktopProfileText) {
  EXPECT_EQ(FormatHive(FreshDesktopProfile()),
            "Windows Registry Editor Version 5.00\n"
            "\n"
            "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"
            "\"Wallpaper\"=\"\"\n"
            "\"TileWallpaper\"=\"0\"\n"
            "\"WallpaperStyle\"=\"10\"\n"
            "\n"
            "[HKEY_CURRENT_USER\\Control Panel\\Colors]\n"
            "\"Background\"=\"0 0 0\"\n"
            "\n");
}

}  // namespace
}  // namespace tapisto
