// The controller mapping file: a few common pads on Linux, written from their evdev layouts.
#include <cstdio>

#include "tools/assetgen/assetgen.h"
#include "tools/assetgen/paint.h"
#include "world/manifest.h"

namespace {

// SDL reads every line that carries a platform field, comments included, so the help text
// below never puts a comma after one.
const char* const MAPPING_HELP =
    "# Kestravel game controller mappings, in SDL2's GameControllerDB format.\n"
    "#\n"
    "# The game reads this file once at start-up and adds its lines to the mappings SDL\n"
    "# already knows. Most pads work without it; this file is for the ones that do not.\n"
    "#\n"
    "# Adding a pad: one line per pad, made of comma-separated fields:\n"
    "#   the 32-digit GUID of the device\n"
    "#   a name of your choice\n"
    "#   the mappings: SDL name, colon, element (b = button, a = axis, h = hat.mask)\n"
    "#   the platform field, for example platform:Linux\n"
    "# and the line ends with a comma. Lines starting with # are ignored.\n"
    "#\n"
    "# To get a line for your pad, either run the SDL2 gamepad tool (controllermap, in\n"
    "# SDL's test programs) or a mapping tool such as the SDL2 Gamepad Tool, press the\n"
    "# buttons it asks for and paste the line it prints here; or, in your own program,\n"
    "# print SDL_GameControllerMappingForGUID(SDL_JoystickGetGUID(joystick)) for a pad\n"
    "# SDL already knows on another machine. Then restart the game.\n"
    "#\n"
    "# The lines below follow the Linux kernel's layouts:\n"
    "#   xpad (Xbox 360 and Xbox One): buttons A B X Y LB RB BACK START GUIDE LS RS,\n"
    "#     axes LX LY LT RX RY RT, d-pad on hat 0.\n"
    "#   hid-sony and hid-playstation (DualShock 4, DualSense): buttons CROSS CIRCLE\n"
    "#     TRIANGLE SQUARE L1 R1 L2 R2 SHARE/CREATE OPTIONS PS L3 R3, axes LX LY L2 RX RY R2,\n"
    "#     d-pad on hat 0.\n"
    "\n";

const char* const XPAD_LAYOUT =
    "a:b0,b:b1,x:b2,y:b3,back:b6,guide:b8,start:b7,leftstick:b9,rightstick:b10,"
    "leftshoulder:b4,rightshoulder:b5,dpup:h0.1,dpdown:h0.4,dpleft:h0.8,dpright:h0.2,"
    "leftx:a0,lefty:a1,rightx:a3,righty:a4,lefttrigger:a2,righttrigger:a5,";

const char* const PLAYSTATION_LAYOUT =
    "a:b0,b:b1,y:b2,x:b3,leftshoulder:b4,rightshoulder:b5,back:b8,start:b9,guide:b10,"
    "leftstick:b11,rightstick:b12,dpup:h0.1,dpdown:h0.4,dpleft:h0.8,dpright:h0.2,"
    "leftx:a0,lefty:a1,rightx:a3,righty:a4,lefttrigger:a2,righttrigger:a5,";

struct Pad {
    const char* guid;  // bus, vendor, product, version: little-endian 16-bit words
    const char* name;
    const char* layout;
};

const Pad PADS[] = {
    {"030000005e0400008e02000010010000", "Xbox 360 Controller", XPAD_LAYOUT},
    {"030000005e0400008e02000014010000", "Xbox 360 Controller", XPAD_LAYOUT},
    {"030000005e040000dd02000003020000", "Xbox One Controller", XPAD_LAYOUT},
    {"030000005e040000ea02000001030000", "Xbox One S Controller", XPAD_LAYOUT},
    {"030000004c050000c405000011810000", "PS4 Controller", PLAYSTATION_LAYOUT},
    {"030000004c050000cc09000011810000", "PS4 Controller", PLAYSTATION_LAYOUT},
    {"030000004c050000e60c000011810000", "PS5 Controller", PLAYSTATION_LAYOUT},
};

}  // namespace

bool generateControllerMappings(const std::string& dataDir) {
    const std::string path = inDataFolder(dataDir, ASSET_MAPPINGS);
    if (!makeDirs(path.substr(0, path.rfind('/')))) return false;
    std::string text = MAPPING_HELP;
    for (const Pad& pad : PADS)
        text += std::string(pad.guid) + "," + pad.name + "," + pad.layout + "platform:Linux,\n";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}
