#pragma once

#include <cstdio>
#include <string>

namespace QV::TestSupport {

// Skin pieces for tests of the standard controls: an opaque one-look list "Solid", a
// three-look channel list "Channel", and scroll bars made of their parts.
inline std::string SolidLooks() {
    return R"(<Colorizers><Colorizer Name="C" ColorType="SolidFill" Color="0xFF808080"/></Colorizers>
      <Parts><Part Name="Fill" Width="1" Height="1" ResizeType="Stretch" ColorizerName="C"/></Parts>
      <Looks><Look Name="Solid"><ClientPart Name="Fill" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/></Look></Looks>
      <LookLists><LookList Name="Solid" NumLooks="1"><Look Name="Solid" Index="0"/></LookList>
      <LookList Name="Channel" NumLooks="3"><Look Name="Solid" Index="0"/><Look Name="Solid" Index="1"/>
        <Look Name="Solid" Index="2"/></LookList></LookLists>)";
}

// A vertical bar of the given thickness: step buttons as high as it is wide, the channel between.
inline std::string VerticalBar(const std::string& name, const std::string& layout, int thickness) {
    const std::string t = std::to_string(thickness);
    return R"(<SubControl Class="Framework.ScrollBar" Name=")" + name + "\" " + layout + R"(>
      <Skin Name="bar" LookList="Solid">
        <SubControl Class="Framework.Button" Name="dec" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0" YSizeAbs=")" +
           t + R"("><Skin Name="b" LookList="Solid"/></SubControl>
        <SubControl Class="Framework.Button" Name="inc" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0"
                    YPositionRel="1" YPlacementAnchor="1" YSizeAbs=")" +
           t + R"("><Skin Name="b" LookList="Solid"/></SubControl>
        <SubControl Class="Framework.ScrollChannel" Name="channel" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0"
                    YPositionToControl="dec" YPositionRel="1" YSizeToControl="inc" YSizeRel="0" YSizeAbs="0">
          <Skin Name="ch" LookList="Channel">
            <SubControl Class="Framework.Button" Name="thumb" XSizeToControl="Client" XSizeRel="1" XSizeAbs="0"
                        YSizeAbs="20"><Skin Name="b" LookList="Solid"/></SubControl>
          </Skin>
        </SubControl>
      </Skin></SubControl>)";
}

inline std::string HorizontalBar(const std::string& name, const std::string& layout, int thickness) {
    const std::string t = std::to_string(thickness);
    return R"(<SubControl Class="Framework.ScrollBar" Name=")" + name + "\" " + layout + R"(>
      <Skin Name="bar" LookList="Solid">
        <SubControl Class="Framework.Button" Name="dec" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0" XSizeAbs=")" +
           t + R"("><Skin Name="b" LookList="Solid"/></SubControl>
        <SubControl Class="Framework.Button" Name="inc" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"
                    XPositionRel="1" XPlacementAnchor="1" XSizeAbs=")" +
           t + R"("><Skin Name="b" LookList="Solid"/></SubControl>
        <SubControl Class="Framework.ScrollChannel" Name="channel" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"
                    XPositionToControl="dec" XPositionRel="1" XSizeToControl="inc" XSizeRel="0" XSizeAbs="0">
          <Skin Name="ch" LookList="Channel">
            <SubControl Class="Framework.Button" Name="thumb" YSizeToControl="Client" YSizeRel="1" YSizeAbs="0"
                        XSizeAbs="20"><Skin Name="b" LookList="Solid"/></SubControl>
          </Skin>
        </SubControl>
      </Skin></SubControl>)";
}

// A 14-look list "TextBox" for text boxes: every look an opaque fill of its own colour
// (TextBoxLookColor) with its text 2 pixels in from the left and right edges, at the top, in
// black.
inline unsigned TextBoxLookColor(int look) {
    return 0xFF808080u + static_cast<unsigned>(look);
}
inline std::string TextBoxLooks() {
    std::string colorizers =
        R"(<Colorizers><Colorizer Name="TextInk" ColorType="SolidFill" Color="0xFF000000"/>)";
    std::string parts =
        R"(<Parts><Part Name="TextInk" Width="1" Height="1" ResizeType="Stretch" ColorizerName="TextInk"/>)";
    std::string looks = "<Looks>";
    std::string list = R"(<LookLists><LookList Name="TextBox" NumLooks="14">)";
    for (int i = 0; i < 14; ++i) {
        const std::string n = std::to_string(i);
        char color[16];
        std::snprintf(color, sizeof color, "0x%08X", TextBoxLookColor(i));
        colorizers +=
            R"(<Colorizer Name="TextBoxFill)" + n + R"(" ColorType="SolidFill" Color=")" + color + "\"/>";
        parts += R"(<Part Name="TextBoxFill)" + n +
                 R"(" Width="1" Height="1" ResizeType="Stretch" ColorizerName="TextBoxFill)" + n + "\"/>";
        looks += R"(<Look Name="TextBox)" + n + R"("><ClientPart Name="TextBoxFill)" + n +
                 R"(" OffsetLeft="0" OffsetTop="0" OffsetRight="0" OffsetBottom="0"/>
          <TextProperties TextLeftRel="0" TextLeftAbs="2" TextRightRel="1" TextRightAbs="-2" TextHAlign="0"
            TextTopRel="0" TextTopAbs="0" TextBottomRel="1" TextBottomAbs="0" TextVAlign="0" TextForegroundPart="TextInk"/></Look>)";
        list += R"(<Look Name="TextBox)" + n + R"(" Index=")" + n + "\"/>";
    }
    return colorizers + "</Colorizers>" + parts + "</Parts>" + looks + "</Looks>" + list +
           "</LookList></LookLists>";
}

}  // namespace QV::TestSupport
