#include "control_names.h"

#include <utility>

#include "ui/controls.h"

namespace tessavue::e2e {

namespace {

const std::pair<const wchar_t*, Control> kNames[] = {
    {L"Label1", Control::Label1},
    {L"ComboBox1", Control::ComboBox1},
    {L"GroupBox1", Control::GroupBox1},
    {L"GroupBox2", Control::GroupBox2},
    {L"GroupBox3", Control::GroupBox3},
    {L"GroupBox4", Control::GroupBox4},
    {L"GroupBox5", Control::GroupBox5},
    {L"GroupBox6", Control::GroupBox6},
    {L"GroupBox7", Control::GroupBox7},
    {L"GroupBox8", Control::GroupBox8},
    {L"GroupBox9", Control::GroupBox9},
    {L"CheckBox1", Control::CheckBox1},
    {L"Edit1", Control::Edit1},
    {L"Edit2", Control::Edit2},
    {L"Edit3", Control::Edit3},
    {L"Edit4", Control::Edit4},
    {L"Edit5", Control::Edit5},
    {L"Edit6", Control::Edit6},
    {L"Edit7", Control::Edit7},
    {L"Edit8", Control::Edit8},
    {L"Button1", Control::Button1},
    {L"Button2", Control::Button2},
    {L"Button3", Control::Button3},
    {L"Button4", Control::Button4},
    {L"Button5", Control::Button5},
    {L"Button6", Control::Button6},
    {L"Button7", Control::Button7},
    {L"Button8", Control::Button8},
    {L"Button9", Control::Button9},
    {L"Button10", Control::Button10},
    {L"Button11", Control::Button11},
    {L"Button12", Control::Button12},
    {L"Label2", Control::Label2},
    {L"Label3", Control::Label3},
    {L"Label4", Control::Label4},
    {L"Label5", Control::Label5},
    {L"Label6", Control::Label6},
    {L"Label7", Control::Label7},
    {L"Label8", Control::Label8},
    {L"Label9", Control::Label9},
    {L"Label10", Control::Label10},
    {L"RadioButton1", Control::RadioButton1},
    {L"RadioButton2", Control::RadioButton2},
    {L"menu_help", Control::menu_help},
    {L"menu_help_help", Control::menu_help_help},
    {L"menu_help_catc", Control::menu_help_catc},
    {L"menu_help_othr", Control::menu_help_othr},
    {L"menu_help_othr_sign", Control::menu_help_othr_sign},
    {L"menu_help_othr_circ", Control::menu_help_othr_circ},
    {L"menu_help_othr_a_ll", Control::menu_help_othr_a_ll},
    {L"menu_help_othr_trgt", Control::menu_help_othr_trgt},
    {L"menu_help_vers", Control::menu_help_vers},
};

}  // namespace

std::optional<int> ControlByName(const std::wstring& name) {
    for (const auto& [text, control] : kNames) {
        if (name == text) return ControlId(control);
    }
    return std::nullopt;
}

std::string ControlName(int id) {
    for (const auto& [text, control] : kNames) {
        if (ControlId(control) == id) {
            std::string ascii;
            for (const wchar_t* c = text; *c; ++c) ascii += static_cast<char>(*c);
            return ascii + " (" + std::to_string(id) + ")";
        }
    }
    return "control " + std::to_string(id);
}

}  // namespace tessavue::e2e
