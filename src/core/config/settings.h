#pragma once
// The settings file "rconvorstel.ini": one line, every field followed by 0x02, CR LF at the end.
#include <filesystem>
#include <string>
#include <variant>
#include <vector>

#include "../form/form1.h"

namespace vorstel {

inline constexpr char kFieldSeparator = '\x02';
inline constexpr const char* kSettingsFile = "rconvorstel.ini";

using SettingField = std::variant<TextBox*, CheckBox*, OptionButton*>;

// The 73 persisted elements in the order of their fields; the last one is optional in a file.
std::vector<SettingField> SettingsFields(Form1& form);

// The line as it is written, CR LF included.
std::string EncodeSettings(Form1& form);

// Applies one line to the elements through their setters, so every reaction runs as if the
// operator had made the change. A field that cannot be used keeps the element's value and is
// reported, one text per field.
std::vector<std::string> ApplySettings(Form1& form, const std::string& line);

struct SettingsLoad {
    bool found = false;
    // The file exists but could not be read (no permission, an I/O error): the defaults stay,
    // and the file must not be written over at the end.
    bool unreadable = false;
    std::vector<std::string> problems;  // to show the operator; empty when all went well
};

// A missing file leaves every default in place. When fields are unusable the file is first
// copied aside to "rconvorstel.ini.rejected", so the next save cannot destroy what was in it.
SettingsLoad LoadSettings(Form1& form, const std::filesystem::path& workdir);

// Written atomically and readable by its owner only: it holds the rcon password.
bool SaveSettings(Form1& form, const std::filesystem::path& workdir);

}  // namespace vorstel
