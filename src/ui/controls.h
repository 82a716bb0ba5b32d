// The palette's controls and menu items. The numbers are the Win32 control and
// menu command identifiers; the end-to-end driver finds controls by them, so they
// never change once given.
#pragma once

namespace tessavue {

enum class Control : int {
    Label1 = 1001,
    ComboBox1 = 1002,
    GroupBox1 = 1010,  // draw group
    GroupBox2, GroupBox3, GroupBox4, GroupBox5, GroupBox6, GroupBox7, GroupBox8, GroupBox9,
    CheckBox1 = 1020,
    Edit1 = 1031, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7, Edit8,
    Button1 = 1041, Button2, Button3, Button4, Button5, Button6, Button7, Button8, Button9,
    Button10, Button11, Button12,
    Label2 = 1062, Label3, Label4, Label5, Label6, Label7, Label8, Label9, Label10,
    RadioButton1 = 1071, RadioButton2,

    // Main menu
    menu_help = 2001,
    menu_help_help = 2002,
    menu_help_catc = 2003,
    menu_help_othr = 2004,
    menu_help_othr_sign = 2005,
    menu_help_othr_circ = 2006,
    menu_help_othr_a_ll = 2007,
    menu_help_othr_trgt = 2008,
    menu_help_vers = 2009,
};

constexpr int ControlId(Control c) { return static_cast<int>(c); }

// The target-version dialog's controls; their ids are those of a window of its own.
enum class VersionControl : int {
    ComboBox1 = 3001,
    Button1 = 3002,  // Ok
    Button2 = 3003,  // ｷｬﾝｾﾙ
};

constexpr int ControlId(VersionControl c) { return static_cast<int>(c); }

// The window classes of the palette and its secondary windows, so that the driver and
// AutoCAD-side tools can find them.
inline constexpr const wchar_t* kPaletteClassName = L"TForm1";
inline constexpr const wchar_t* kDimensionPictureClassName = L"TForm2";     // 寸法
inline constexpr const wchar_t* kTwoFacePictureClassName = L"TForm3";       // ２面選択
inline constexpr const wchar_t* kExistingAxisPictureClassName = L"TForm4";  // 既存軸
inline constexpr const wchar_t* kTargetVersionClassName = L"TForm5";

}  // namespace tessavue
