#include "app/KLTIniData.h"
#include "core/Exceptions.h"

#include "tests/core/MesswertFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace klt {
namespace {

using ::testing::HasSubstr;

using ConfigurationTextTest = MesswertFixture;

// A configuration that differs from the defaults wherever a property can.
void Customise(TKLTIniData& ini) {
    ini.OptionData.KLTGraphicType = gtAnalyse;
    ini.OptionData.GraphicData.UseDefaultFont = false;
    ini.OptionData.GraphicData.DefaultFont.Name = "DejaVu Sans";
    ini.OptionData.GraphicData.DefaultFont.Style = 1u << fsItalic;
    ini.OptionData.GraphicData.PRBGICanvasOptions = CanvasOptionBit(PlotBereiche);
    ini.OptionData.GraphicData.PRBGICanvasPalette = PaletteGrayDark;
    ini.OptionData.ShowDiagrammEinZTrend = true;
    ini.OptionData.DiagrammMehrZ.MaxAnzahlDiagramme = 5;
    ini.OptionData.DiagrammMehrZ.SkalaGeschwindigkeit.SetOffset(1234.5678);
    ini.OptionData.DiagrammEinZTrend.SkalaTemp.SetVisible(false);
    ini.OptionData.ConconiAnalyse.MaxZeitVersatz = 3000;
    ini.PrinterData.Orientation = TPrinterData::kPortrait;
    ini.PrinterData.KLTGraphicData.PRBGICanvasOptions = 0;
    ini.FileHistory.SetItems(
        {"/rides/it's here.klt", "/rides/line\nbreak.klt", "/rides/\xC3\xA9t\xC3\xA9.klt"});
    ini.MarkerIdentList.SetItems({"Sprint", "Kl\xC3\xB6ppel"});
    ini.SystemData.SetUserName("O'Neill");
    TVeltrakComPort port;
    port.Name = "KLT Downloadcable USB";
    port.Path = "/dev/ttyUSB0";
    port.PortNumber = 3;
    ini.SystemData.SetVeltrakComPort(port);
    ini.SystemData.VeltrakComPlugAndPlay = false;
    ini.SystemData.DataBaseDir = "/data/\tKLT";
    ini.SystemData.DataBaseListDatumFrom = 50000;
    ini.SystemData.MaxPauseTraining = 0;
    ini.SystemData.UnitsSPD = 2;
    ini.SystemData.UnitsDST = 2;
}

TEST_F(ConfigurationTextTest, ACustomisedConfigurationSurvivesItsTextForm) {
    TKLTIniData written;
    Customise(written);
    const std::string text = written.Text();
    TKLTIniData read;
    read.ReadText(text);
    EXPECT_TRUE(read.Equals(written));
    EXPECT_FALSE(read.Equals(TKLTIniData()));
    EXPECT_EQ(read.Text(), text);
    EXPECT_EQ(read.SystemData.UserName(), "O'Neill");
    EXPECT_EQ(read.SystemData.VeltrakComPort().Path, "/dev/ttyUSB0");
    EXPECT_EQ(read.FileHistory.Items()[1], "/rides/line\nbreak.klt");
    EXPECT_EQ(read.OptionData.DiagrammMehrZ.SkalaGeschwindigkeit.Offset(), 1234.5678);
}

TEST_F(ConfigurationTextTest, TheTextNamesEveryPropertyInStreamOrderWithItsValue) {
    TKLTIniData ini;
    Customise(ini);
    const std::string text = ini.Text();
    EXPECT_THAT(text, ::testing::StartsWith("object KLTIniFile: TKLTIniFile\n"));
    EXPECT_THAT(text, ::testing::EndsWith("\nend\n"));
    const char* lines[] = {
        "  OptionData.KLTGraphicType = gtAnalyse\n",
        "  OptionData.GraphicData.DefaultFont.Style = [fsItalic]\n",
        "  OptionData.GraphicData.PRBGICanvasOptions = [PlotBereiche]\n",
        "  OptionData.DiagrammEinZDetail.SkalaLeistung.Offset = 0\n",
        "  OptionData.DiagrammEinZDetail.SkalaLeistung.Bereich = 4800\n",
        "  OptionData.DiagrammEinZTrend.SkalaTemp.Visible = False\n",
        "  PrinterData.KLTGraphicData.PRBGICanvasOptions = []\n",
        ("  FileHistory.Strings = (\n    '/rides/it''s here.klt'\n    '/rides/line'#10'break.klt'\n"
         "    '/rides/\xC3\xA9t\xC3\xA9.klt')\n"),
        "  SystemData.UserName = 'O''Neill'\n",
        "  SystemData.DefaultAllFiles = True\n",
        "  SystemData.DataBaseDir = '/data/'#9'KLT'\n",
        "  SystemData.DataBaseListDatumUntil = 65535\n",
        "  SystemData.UnitsPAP = 0\n",
    };
    size_t previous = 0;
    for (const char* line : lines) {
        const size_t at = text.find(line);
        EXPECT_NE(at, std::string::npos) << line;
        EXPECT_GT(at, previous) << line;
        previous = at;
    }
    EXPECT_NE(TKLTIniData().Text().find("  MarkerIdentList.Strings = ()\n"), std::string::npos);
}

TEST_F(ConfigurationTextTest, PropertiesMissingFromTheTextKeepTheirDefaults) {
    TKLTIniData ini;
    ini.ReadText("object KLTIniFile: TKLTIniFile\r\n"
                 "  SystemData.UnitsSPD = 1\r\n"
                 "  OptionData.DiagrammMehrZ.SkalaLeistung.Bereich = 1.6e3\r\n"
                 "  MarkerIdentList.Strings = (#32'a' 'b' 'a'  ' ')\r\n"
                 "end\r\n");
    EXPECT_EQ(ini.SystemData.UnitsSPD, 1);
    EXPECT_EQ(ini.OptionData.DiagrammMehrZ.SkalaLeistung.Bereich(), 1600);
    EXPECT_EQ(ini.SystemData.ReadTotalTimeoutMultiplier, 50);
    EXPECT_EQ(ini.MarkerIdentList.Items(), (std::vector<std::string>{"a", "b"})); // trimmed, no duplicates
}

TEST_F(ConfigurationTextTest, ValuesAreBroughtIntoTheirLimitsWhileReading) {
    TKLTIniData ini;
    const std::string longName(80, 'x');
    ini.ReadText("object KLTIniFile: TKLTIniFile\n"
                 "  SystemData.UserName = '" +
                 longName +
                 "'\n"
                 "  OptionData.KLTAnalyse.SkalaLeistung.Offset = -500\n"
                 "  MarkerIdentList.Strings = ('1' '2' '3' '4' '5' '6' '7' '8' '9' '10' '11' '12' '13')\n"
                 "end\n");
    EXPECT_EQ(ini.SystemData.UserName(), longName.substr(0, 70));
    EXPECT_EQ(ini.OptionData.KLTAnalyse.SkalaLeistung.Offset(), 0);
    EXPECT_EQ(ini.MarkerIdentList.Items().size(), 11u);
    EXPECT_EQ(ini.MarkerIdentList.Items().front(), "1");
}

struct TDamage {
    const char* what;
    std::string text;
};

std::string Wrapped(const std::string& properties) {
    return "object KLTIniFile: TKLTIniFile\n  SystemData.UnitsSPD = 1\n" + properties + "end\n";
}

class DamagedConfigurationTextTest : public ConfigurationTextTest,
                                     public ::testing::WithParamInterface<TDamage> {};

TEST_P(DamagedConfigurationTextTest, IsRejectedAndLeavesEverySettingAtItsDefault) {
    TKLTIniData ini;
    Customise(ini);
    EXPECT_THROW(ini.ReadText(GetParam().text), EConvertError);
    EXPECT_TRUE(ini.Equals(TKLTIniData()));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DamagedConfigurationTextTest,
    ::testing::Values(
        TDamage{"empty", ""}, TDamage{"another class", "object X: TOptionDataNew\nend\n"},
        TDamage{"cut short", "object KLTIniFile: TKLTIniFile\n  SystemData.UnitsSPD = 1\n  SystemData.Units"},
        TDamage{"no end", "object KLTIniFile: TKLTIniFile\n  SystemData.UnitsSPD = 1\n"},
        TDamage{"text after end", Wrapped("") + "x\n"},
        TDamage{"unknown property", Wrapped("  SystemData.ComPort = 1\n")},
        TDamage{"object as value", Wrapped("  SystemData = 1\n")},
        TDamage{"given twice", Wrapped("  SystemData.UnitsSPD = 2\n")},
        TDamage{"unit out of range", Wrapped("  SystemData.UnitsTMP = 2\n")},
        TDamage{"date out of range", Wrapped("  SystemData.DataBaseListDatumFrom = 65536\n")},
        TDamage{"negative timeout", Wrapped("  SystemData.ReadIntervalTimeout = -1\n")},
        TDamage{"too many rows", Wrapped("  OptionData.DiagrammMehrZ.MaxAnzahlDiagramme = 6\n")},
        TDamage{"huge integer", Wrapped("  SystemData.MinPauseTraining = 99999999999999999999\n")},
        TDamage{"huge number", Wrapped("  OptionData.DiagrammMehrZ.SkalaHoehe.Offset = 1e999\n")},
        TDamage{"fraction for an integer", Wrapped("  SystemData.GetDataExceptionWait = 1.5\n")},
        TDamage{"number for a text", Wrapped("  SystemData.UserName = 5\n")},
        TDamage{"bad Boolean", Wrapped("  SystemData.ShowSpeedbar = Yes\n")},
        TDamage{"unknown enumeration value", Wrapped("  OptionData.KLTGraphicType = gtNone\n")},
        TDamage{"unknown set member",
                Wrapped("  OptionData.GraphicData.PRBGICanvasOptions = [PlotBereiche, X]\n")},
        TDamage{"open text", Wrapped("  SystemData.UserName = 'AB\n")},
        TDamage{"surrogate code", Wrapped("  SystemData.UserName = #55296\n")},
        TDamage{"list without end", "object KLTIniFile: TKLTIniFile\n  FileHistory.Strings = ('/a'\n"},
        TDamage{"name in a list", Wrapped("  FileHistory.Strings = (a)\n")}),
    [](const ::testing::TestParamInfo<TDamage>& info) {
        std::string name = info.param.what;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

TEST_F(ConfigurationTextTest, TheErrorNamesTheDamagedLine) {
    TKLTIniData ini;
    try {
        ini.ReadText(Wrapped("  SystemData.ShowSpeedbar = True\n  SystemData.Nonsense = 1\n"));
        FAIL() << "damage not found";
    } catch (const EConvertError& error) {
        EXPECT_THAT(error.Message(), HasSubstr("Line 4"));
        EXPECT_THAT(error.Message(), HasSubstr("SystemData.Nonsense"));
    }
}

} // namespace
} // namespace klt
