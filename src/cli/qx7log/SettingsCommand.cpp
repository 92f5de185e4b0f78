// qx7log settings: the settings (EEPROM) blocks of a saved log, one block's parameters beside
// the factory values, and the block's CSV file.

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>

#include "cli/common/StandardOutput.h"
#include "cli/common/StderrMessageSink.h"
#include "cli/qx7log/LogCommand.h"
#include "cli/qx7log/LogToolSupport.h"
#include "core/text/Messages.h"
#include "core/log/QXLogFile.h"
#include "core/settings/BlockList.h"
#include "core/settings/EEPFile.h"
#include "core/settings/SettingsRows.h"
#include "platform/SystemLocalTime.h"

namespace qx7::cli {
namespace {

struct SettingsOptions {
    std::string log;
    std::string block;
    bool compare = false;
    std::string csv;
    bool force = false;
};

// "8011", "0x8011" or "0X8011".
std::optional<std::int32_t> ParseBlockId(std::string text) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.erase(0, 2);
    }
    std::uint32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, 16);
    if (text.empty() || error != std::errc() || stop != end || value > 0xFFFFU) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

// One line to standard output; a terminal gets no control characters from the log.
bool Print(const std::string& line, bool terminal) {
    return WriteStandardOutput((terminal ? ForTerminal(line) : line) + "\n");
}

// The flush that ends a listing; a failed write is reported with its cause.
int FinishListing(const LogToolContext& context) {
    if (!FlushStandardOutput()) {
        ReportStandardOutputFailure(context.programName);
        return kExitFailure;
    }
    return kExitSuccess;
}

int Run(const SettingsOptions& options, const LogToolContext& context) {
    StderrMessageSink sink(context.programName);
    const Messages messages(context.language, sink);
    const SystemLocalTime clock;

    std::optional<std::int32_t> blockId;
    if (!options.block.empty()) {
        blockId = ParseBlockId(options.block);
        if (!blockId || FindSettingsBlock(*blockId) == nullptr) {
            std::fprintf(stderr, "%s: --block %s: not a settings block (8011 to 8016)\n",
                         context.programName.c_str(), options.block.c_str());
            return kExitUsage;
        }
    }

    if (IsFolderNotLog(options.log, context.programName)) {
        return kExitFailure;
    }
    if (!options.csv.empty()) {
        const OutputOpening refusal = CheckOutput(options.csv, options.log);
        if (!refusal.Opened()) {
            std::fprintf(stderr, "%s: %s: %s\n", context.programName.c_str(), options.csv.c_str(),
                         refusal.cause.c_str());
            return kExitFailure;
        }
    }

    CQXLogFile reader(clock);
    int opened = 0;
    const std::vector<SettingsBlockSlot> slots = ReadSettingsBlocks(reader, options.log, &opened);
    const int openError = reader.OpenError();
    reader.Close();
    if (opened < 0) {
        ReportLogOpenFailure(context.programName, options.log, opened, openError,
                             OpenFailureCause(opened, openError));
        return kExitFailure;
    }

    const bool terminal = StandardOutputIsTerminal();
    if (!blockId) {
        // An empty listing is no failure, but it is told why it is empty.
        if (slots.empty()) {
            std::fprintf(stderr, "%s: %s: holds no settings blocks\n", context.programName.c_str(),
                         options.log.c_str());
        }
        for (const SettingsBlockSlot& slot : slots) {
            Print(slot.itemText, terminal);
        }
        return FinishListing(context);
    }

    const SettingsBlockSlot* chosen = nullptr;
    for (const SettingsBlockSlot& slot : slots) {
        if (slot.block->blockId == *blockId) {
            chosen = &slot;
        }
    }
    const std::string idText = HexDigits(static_cast<std::uint32_t>(*blockId), 4);
    if (chosen == nullptr) {
        std::fprintf(stderr, "%s: %s: no settings block %s\n", context.programName.c_str(),
                     options.log.c_str(), idText.c_str());
        return kExitFailure;
    }

    CEEPFile values;
    CEEPFile factory;
    bool factoryLoaded = false;
    const SettingsLoadResult loaded =
        LoadSettingsRecord(chosen->block->templateNumber, chosen->record.data(),
                           chosen->record.size(), options.compare, values, factory, factoryLoaded);
    factory.Report().Show(messages);
    values.Report().Show(messages);
    if (loaded == SettingsLoadResult::BadRecord) {
        std::fprintf(stderr, "%s: %s: settings block %s fails its length or checksum check\n",
                     context.programName.c_str(), options.log.c_str(), idText.c_str());
        return kExitFailure;
    }
    if (loaded == SettingsLoadResult::BadTemplate) {
        std::fprintf(stderr, "%s: the template of settings block %s cannot be read\n",
                     context.programName.c_str(), idText.c_str());
        return kExitFailure;
    }

    if (!options.csv.empty()) {
        if (!options.force && OutputPathExists(options.csv)) {
            ReportOutputExists(context.programName, context.language, options.csv);
            return kExitFailure;
        }
        // Kept unless forced, also when the name appears while the file is written.
        if (!values.SaveCsv(options.csv,
                            options.force ? ExistingTarget::kReplace : ExistingTarget::kKeep,
                            options.log)) {
            values.Report().Show(messages);
            return kExitFailure;
        }
        return kExitSuccess;
    }

    const SettingsRows rows(values, factoryLoaded ? &factory : nullptr);
    for (std::int32_t r = 0; r < rows.RowCount(); ++r) {
        std::string line = rows.ItemImage(r, kColumnNumber) == kDiffersImage ? "*" : "";
        for (int c = 0; c < kSettingsColumnCount; ++c) {
            line += '\t';
            line += rows.ItemText(r, c);
        }
        if (!Print(line, terminal)) {
            break;  // the listing cannot be completed; FinishListing says why
        }
    }
    return FinishListing(context);
}

const LogCommandRegistration kRegistration(50, [](CLI::App& root) {
    auto options = std::make_shared<SettingsOptions>();
    CLI::App* command = root.add_subcommand(
        "settings", "List the settings (EEPROM) blocks of a log, show one block or save its CSV");
    command->add_option("LOG", options->log, "Saved printer log (.log, .zlg)")->required();
    CLI::Option* block =
        command->add_option("--block", options->block, "Block to show: 8011 to 8016");
    command
        ->add_flag("--compare", options->compare,
                   "Mark rows that differ from the factory value with *")
        ->needs(block);
    CLI::Option* csv =
        command->add_option("--csv", options->csv, "Write the block's CSV file")->needs(block);
    command->add_flag("--force", options->force, "Replace an existing CSV file")->needs(csv);
    LogCommand result;
    result.command = command;
    result.run = [options](const LogToolContext& context) { return Run(*options, context); };
    return result;
});

}  // namespace
}  // namespace qx7::cli
