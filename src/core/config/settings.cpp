#include "settings.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <system_error>

#include "../runtime/atomic_file.h"

namespace vorstel {

std::vector<SettingField> SettingsFields(Form1& f) {
    std::vector<SettingField> fields = {&f.txtSVR, &f.txtPORT, &f.txtPWD, &f.txtMin, &f.MinPolt, &f.Check6,
                                        &f.Alert5, &f.Logea,   &f.Silent, &f.Text2,  &f.Option1, &f.Option2};
    for (int i = 0; i < 7; ++i) {
        auto p = f.Penalty(static_cast<PenaltyRow>(i));
        fields.insert(fields.end(), {&f.Cheats[i], p.Warning, p.Kick, p.Ban, p.Days});
    }
    fields.insert(fields.end(), {&f.Alert3, &f.txtTAG, &f.txtPRP, &f.Alert6});
    for (auto [check, row] : {std::pair{&f.Check1, PenaltyRow::PrivateSlot}, {&f.Check5, PenaltyRow::ReservedSkin}}) {
        auto p = f.Penalty(row);
        fields.insert(fields.end(), {check, p.Warning, p.Kick, p.Ban, p.Days});
    }
    fields.insert(fields.end(), {&f.Alert1, &f.Alert2, &f.Alert4, &f.AcWarns, &f.AcKicks, &f.Alert7, &f.SoS,
                                 &f.Check2, &f.Text5, &f.Text6, &f.Text7, &f.Check3});
    return fields;
}

std::string EncodeSettings(Form1& form) {
    std::string line;
    for (const auto& field : SettingsFields(form)) {
        if (auto* t = std::get_if<TextBox*>(&field)) line += (*t)->text();
        else if (auto* c = std::get_if<CheckBox*>(&field)) line += std::to_string((*c)->value());
        else line += std::get<OptionButton*>(field)->value() ? "-1" : "0";
        line += kFieldSeparator;
    }
    return line + "\r\n";
}

namespace {

// An option field is any decimal number: selected when it is not zero.
bool ReadNumber(const std::string& piece, double& value) {
    const char* end = piece.data() + piece.size();
    auto [ptr, ec] = std::from_chars(piece.data(), end, value);
    return ec == std::errc() && ptr == end && !piece.empty();
}

std::string Quote(const std::string& s) { return "\"" + s + "\""; }

}  // namespace

std::vector<std::string> ApplySettings(Form1& form, const std::string& line) {
    std::vector<std::string> pieces;
    std::string piece;
    for (char c : line) {
        if (c == kFieldSeparator) {
            pieces.push_back(std::move(piece));
            piece.clear();
        } else {
            piece += c;
        }
    }
    pieces.push_back(std::move(piece));

    const auto fields = SettingsFields(form);
    // Position 72 (Check3) came later: a line of 72 or 73 pieces is complete without it.
    // A shorter line was cut off, and its last piece may be cut too, so only the pieces
    // that a separator closes are used.
    const std::size_t required = fields.size() - 1;
    std::size_t usable = pieces.size() >= fields.size() + 1 ? fields.size()
                         : pieces.size() >= required     ? required
                                                         : pieces.size() - 1;
    std::vector<std::string> problems;
    if (usable < required)
        problems.push_back("the line holds only " + std::to_string(usable) + " of " + std::to_string(required) +
                           " fields; the others keep their defaults");
    for (std::size_t i = 0; i < usable; ++i) {
        const std::string& p = pieces[i];
        const auto& field = fields[i];
        if (auto* t = std::get_if<TextBox*>(&field)) {
            (*t)->setText(p);
        } else if (auto* c = std::get_if<CheckBox*>(&field)) {
            if (p == "0" || p == "1") (*c)->setValue(p == "1" ? 1 : 0);
            else problems.push_back("field " + std::to_string(i) + " (" + (*c)->name() + ") " + Quote(p) +
                                    " is neither 0 nor 1; " + std::to_string((*c)->value()) + " kept");
        } else {
            auto* o = std::get<OptionButton*>(field);
            double v = 0;
            if (ReadNumber(p, v)) o->setValue(v != 0);
            else problems.push_back("field " + std::to_string(i) + " (" + o->name() + ") " + Quote(p) +
                                    " is not a number; left as it was");
        }
    }
    return problems;
}

namespace {

// The whole file; false with the reason when it exists but cannot be read.
bool ReadSettingsFile(const std::filesystem::path& file, std::string& content, std::string& why) {
    std::error_code ec;
    const auto status = std::filesystem::status(file, ec);
    if (std::filesystem::is_directory(status)) {
        why = "it is a folder";
        return false;
    }
    std::FILE* f = std::fopen(file.string().c_str(), "rb");
    if (!f) {
        why = std::generic_category().message(errno);
        return false;
    }
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) content.append(buffer, n);
    const bool failed = std::ferror(f) != 0;
    const int err = errno;
    std::fclose(f);
    if (failed) why = std::generic_category().message(err);
    return !failed;
}

}  // namespace

SettingsLoad LoadSettings(Form1& form, const std::filesystem::path& workdir) {
    SettingsLoad result;
    const auto file = workdir / kSettingsFile;
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(file, ec))) return result;
    result.found = true;
    std::string content, why;
    if (!ReadSettingsFile(file, content, why)) {
        result.unreadable = true;
        result.problems.push_back(std::string(kSettingsFile) + " could not be read (" + why +
                                  "); every setting keeps its default, and the file will not be overwritten");
        return result;
    }
    const std::string line = content.substr(0, content.find('\r'));
    if (content.empty()) {
        result.problems.push_back("the file is empty; every setting keeps its default");
    } else {
        result.problems = ApplySettings(form, line);
    }
    if (!result.problems.empty()) {
        std::error_code ec;
        auto aside = file;
        aside += ".rejected";
        std::filesystem::copy_file(file, aside, std::filesystem::copy_options::overwrite_existing, ec);
        result.problems.push_back(ec ? "the file could not be copied aside: " + ec.message()
                                     : "the file as it was is kept in " + aside.filename().string());
    }
    return result;
}

bool SaveSettings(Form1& form, const std::filesystem::path& workdir) {
    return WriteFileAtomically(workdir / kSettingsFile, EncodeSettings(form), FileAccess::OwnerOnly);
}

}  // namespace vorstel
