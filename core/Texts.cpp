#include "core/Texts.h"

#include <map>

namespace klt {
namespace {

const std::map<int, std::string_view>& TextTable() {
    static const std::map<int, std::string_view> table = {
        {257, "Port %s is not existing"},
        {265, "None"},
        {271, "File isn't a training file or is corrupted (%s)"},
        {272, "Training file '%s' is already in use by this application"},
        {273, "Cannot save training file '%s' in KLT database (%s)"},
        {274, "Do you want to save the modified training file '%s'?"},
        {275, "Training file '%s' couldn't be deleted"},
        {276, "Do you really want to delete the training file '%s'? Warning: Data will be lost!"},
        {277, "Do you really want to revert all your changes of training file '%s'?"},
        {278, "Training file '%s' has been changed by another application program or network user. "
              "Should your work overwrite that changes?"},
        {280, "|Change %s with mouse or cursor keys. Shift, Alt and Alt+Shift keys accellerate changes"},
        {281, "%s is only valid between %s and %s"},
        {282, "%s|Ø %s|max. %s"},
        {283, "%s [%s]"},
        {284, "%s (%s)"},
        {285, "Set units for %s"},
        {286, "Open training file '%s'"},
        {288, "0|4095|Power|POW|0|1/8|watt|watt"},
        {289, "0|240|Cadence|CAD|0|1/32|revolutions per minute|rpm"},
        {290, "0|240|Heartrate|HRT|0|1/64|beats per minute|bpm"},
        {291, "0|115|Speed|SPD|1|3.6e-3|kilometers per hour|km/h|1|1e-3|meters per second|m/s|1|2.236936e-3|"
              "miles per hour|mph"},
        {292, "-55|125|Temperature|TMP|1|0.1|degrees Celsius|°C|1|0.18;32|degrees Fahrenheit|°F"},
        {293, "-100|5000|Altitude|Alt|0|1.0|meter|m|1|3.2808|feet|ft"},
        {294, "||Work|WRK|0|1/8e5|kilojoules|kJ"},
        {295, "||Distance|DST|0|1e-5|meters|m|1|1e-8|kilometers|km|1|1/1.609344e8|miles|mi"},
        {296, "||Distance|DST|1|1e-8|kilometers|km|1|1/1.609344e8|miles|mi"},
        {297, "1000|4000|Circumference of tire|CirW|0|1|millimeters|mm|2|1/25.4|inches|in"},
        {298, "0|100|Paper size||1|0.01|centimeters|cm|2|1/254|inches|in"},
        {299, "5|60|Slope of Powermeter|Slp|2|1/305.58|hertz per newtonmeter|Hz/Nm"},
        {300, "0|107|Torque|TOR|1|1/305.58|newtonmeters|Nm"},
        {301, "1|4000|Offset of Powermeter|ZPo|0|1|hertz|Hz"},
        {302, "0|10|Slope|Slp|2|1/8|1/Wmin|1/Wmin"},
        {303, "0|240|Zero position|ZPo|2|1/64|beats per minute|1/min"},
        {304, "0|4095|PWC150|Pwc150|1|1/8|watt|watt"},
        {305, "2|5|No. of diagrams||0|1||"},
        {306, "||Number of marker||0|1||"},
        {307, "0|240|Highest change of heart rate|dHRT|0|1|(1/min)/s|(1/min)/s"},
        {308, "1|10|Shortest heart rate transmitter signal|pHRT|0|1|milliseconds|ms"},
        {332, "(%s) %s"},
        {333, "File"},
        {346, "Date/time"},
        {347, "Initials"},
        {348, "Time"},
        {349, "Comments"},
        {65120, "Display Mode"},
        {65121, "Production Date"},
        {65122, "Serial number"},
        {65123, "PowerDown mode"},
        {65124, "Wireless Heartrate Settings"},
        {65125, "Wireless Speed Settings"},
        {65126, "Wireless Powermeter Settings"},
        {65127, "Wireless Communication Settings"},
        {65128, "Automatic Zero Offset Settings"},
        {65129, "Heartrate Filter Mode"},
        {65130, "Show Actual Training Zone Settings"},
        {65131, "Telemetry"},
        {65136, "Software Version"},
        {65137, "Status"},
        {65138, "Slope"},
        {65139, "Wheel circumference"},
        {65140, "Initials"},
        {65141, "Zero Offset"},
        {65142, "Storage Interval"},
        {65143, "Trainingzones"},
        {65144, "ReedSwitch"},
        {65145, "Odo values"},
        {65146, "Cadence Detection Threshold"},
        {65147, "Telemetrie Zyklus Time"},
        {65148, "Telemetrie ID repaet"},
        {65149, "Telemetrie Tel repeat"},
        {65150, "Value format"},
        {65151, "Horse Mode"},
        {65154, "The computer took more than 4 seconds to answer the Veltrak.\r\nPlease do not work with other "
                "programs while downloading.\r\nIf this happens again, please contact your dealer."},
        {65156, "This software is too old for your Veltrak version.\r\nPlease download the latest version from "
                "the download page of our website.\r\nPress cancel to proceed on your own risk."},
        {65157, "The slope is out of range and has been set to 25 Hz/Nm"},
        {65158, "The storage interval is out of range and has been set to 1 s"},
        {65159, "The cadence detection threshold is out of range and has been set to 13"},
        {65160, "The telemetry identifier repeat is out of range and has been set to 9"},
        {65161, "The unit format is out of range and has been set to km/h and °C"},
        {65162, "The horse mode is out of range and has been switched off"},
        {65163, "The display mode is out of range and has been set to standard"},
    };
    return table;
}

} // namespace

std::string LoadText(int id) {
    const auto& table = TextTable();
    if (auto it = table.find(id); it != table.end()) {
        return std::string(it->second);
    }
    return "{Text " + std::to_string(id) + "}";
}

std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> args) {
    std::string out;
    out.reserve(pattern.size() + 32);
    auto next = args.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        char c = pattern[i];
        if (c == '%' && i + 1 < pattern.size()) {
            char k = pattern[i + 1];
            if (k == '%') {
                out += '%';
                ++i;
                continue;
            }
            if ((k == 's' || k == 'd') && next != args.end()) {
                out += *next++;
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

} // namespace klt
