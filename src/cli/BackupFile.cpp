#include "cli/BackupFile.h"

#include <cctype>

#include "cli/Output.h"
#include "platform/Ini.h"
#include "platform/UserFile.h"

namespace tav::cli {
namespace {

// A backup holds some hundred lines; a file far past that is not one.
constexpr size_t kMaxBackupBytes = 1 << 20;

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

} // namespace

std::string BackupText(const AppContext& ctx, const std::string& date) {
    const TableChoice tables = TableChoice::FromConfig(ctx);
    // The model as the profile names it, so a backup says which printer it was made of.
    std::string model = ctx.Config("STRING", "MODEL", "", 127);
    if (model.empty()) model = ctx.cfg.model.empty() ? "(the profile names none)" : ctx.cfg.model;
    std::string text = "; tavctl backup of the printer's stored defaults\n; model: " + Visible(model, true) +
                       "\n; device: " + Visible(ctx.DeviceName(), true) + "\n; date: " + date +
                       "\n[Settings]\n";
    for (const SettingField* f : FieldsInRecordOrder())
        if (f->Settable())
            text += std::string(f->name) + " = " + ValueText(*f, f->get(ctx.store.reported), tables, false) +
                    "\n";
    return text;
}

std::optional<std::vector<Assignment>> ReadBackup(const std::string& file, const TableChoice& tables) {
    // A backup is some kilobytes of text; a FIFO or device named here must not hang the command.
    std::string text;
    UserFileError error;
    if (!ReadRegularFile(file, text, kMaxBackupBytes, error)) {
        Err("cannot read " + Visible(file, true) +
            (error == UserFileError::NotRegular ? ": not a regular file"
             : error == UserFileError::TooLarge ? ": larger than a backup can be"
                                                : ""));
        return std::nullopt;
    }
    std::vector<Assignment> edits;
    const auto skip = [](const std::string& what) {
        Err("skipped " + Visible(what, true) + ": this model does not take it");
    };
    bool bad = false;
    for (const auto& [key, value] : IniDocument::Parse(text).Entries("Settings")) {
        const std::string name = Upper(key);
        const SettingField* f = FindField(name);
        if (!f || !f->Settable()) {
            skip(name);
            continue;
        }
        std::string why;
        const auto edit = ParseAssignment(name + "=" + value, tables, &why);
        if (edit) {
            edits.push_back(*edit);
        } else if (f->table && !value.empty() && value[0] != '#') {
            skip(name + "=" + value); // another model's keyword
        } else {
            Err(Visible(file, true) + ": " + Visible(name + " = " + value, true) + ": " + Visible(why, true));
            bad = true;
        }
    }
    if (bad) return std::nullopt;
    if (edits.empty()) {
        Err(Visible(file, true) + " holds no setting this model takes ([Settings] with NAME = value lines)");
        return std::nullopt;
    }
    return edits;
}

} // namespace tav::cli
