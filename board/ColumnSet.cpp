#include "board/ColumnSet.h"

#include <tinyxml.h>

#include <cstdint>
#include <limits>
#include <utility>

#include "board/ConfigPaths.h"
#include "model/DataMutex.h"
#include "platform/AtomicFile.h"

namespace quillon::board {

namespace {

struct ColumnSetState {
    ColumnSet columns;
    // True once the set reflects the user's choice: grid.xml was read (usable or not) or
    // the dialog replaced the set. Saving before that would overwrite the user's file.
    bool settled = false;
};

ColumnSetState& State() {
    static ColumnSetState state;
    return state;
}

void ReplaceUnderLock(ColumnSet columns, bool settles) {
    model::DataLock lock;
    State().columns = std::move(columns);
    if (settles) State().settled = true;
}

// atoi's reading (leading white space, an optional sign, decimal digits up to the first
// other character, 0 without digits), but a value that does not fit a ColumnId is no
// value at all rather than undefined behaviour.
std::optional<ColumnId> ParseColumnIdText(const char* text) {
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = (*p++ == '-');
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<ColumnId>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > limit) return std::nullopt;
    }
    std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<ColumnId>::max()) return std::nullopt;
    return static_cast<ColumnId>(value);
}

// 0 is the contract column, which selectedIds always starts with. An id whose own or put
// copy would be 0 or 100 on the T board, or whose put copy overflows, cannot be shown.
bool IsUsableChosenId(ColumnId id) {
    if (id == 0 || id == PutColumnOffset || id == -PutColumnOffset) return false;
    return id <= std::numeric_limits<ColumnId>::max() - PutColumnOffset;
}

bool HasTooMuchMarkup(const char* data, std::size_t size) {
    std::size_t tags = 0;
    std::size_t attributes = 0;
    for (const char* p = data; p != data + size; ++p) {
        if (*p == '<' && ++tags > MaxGridXmlTags) return true;
        if (*p == '=' && ++attributes > MaxGridXmlAttributes) return true;
    }
    return false;
}

// TinyXML's printer breaks lines with "\n"; on Windows the file gets what a Windows
// editor expects, as a text-mode write would give.
std::string WithPlatformLineBreaks(const std::string& text) {
#ifdef _WIN32
    std::string converted;
    converted.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        if (c == '\n') converted += '\r';
        converted += c;
    }
    return converted;
#else
    return text;
#endif
}

}  // namespace

std::vector<ColumnId> DeriveBoardIds(const std::vector<ColumnId>& chosenIds) {
    std::vector<ColumnId> boardIds(chosenIds.rbegin(), chosenIds.rend());
    boardIds.push_back(StrikeColumnId);
    for (ColumnId id : chosenIds) boardIds.push_back(id + PutColumnOffset);
    return boardIds;
}

ColumnSet MakeColumnSet(const std::vector<ColumnId>& chosenIds) {
    ColumnSet columns;
    columns.selectedIds.reserve(chosenIds.size() + 1);
    columns.selectedIds.push_back(0);
    columns.selectedIds.insert(columns.selectedIds.end(), chosenIds.begin(), chosenIds.end());
    columns.boardIds = DeriveBoardIds(chosenIds);
    return columns;
}

const ColumnSet& SharedColumnSet() {
    return State().columns;
}

ColumnSet CopyColumnSet() {
    model::DataLock lock;
    return State().columns;
}

void ReplaceColumnSet(ColumnSet columns) {
    ReplaceUnderLock(std::move(columns), true);
}

void SetDefaultColumnSet() {
    ReplaceUnderLock(MakeColumnSet({1, 2, 3, 4, 5, 6, 7}), false);
}

void ClearColumnSet() {
    model::DataLock lock;
    State() = ColumnSetState{};
}

std::optional<std::vector<ColumnId>> ReadChosenColumnIds(const char* data, std::size_t size) {
    if (data == nullptr || size > MaxGridXmlSize || HasTooMuchMarkup(data, size)) return std::nullopt;
    // The parser steps over a UTF-8 sequence by its lead byte, up to 4 bytes at once: a
    // sequence cut at the end must still land on a terminator.
    std::string text(data, size);
    text.append(8, '\0');

    TiXmlDocument document;
    document.Parse(text.c_str(), nullptr, TIXML_ENCODING_UNKNOWN);
    if (document.Error()) return std::nullopt;
    const TiXmlElement* root = document.FirstChildElement();
    if (root == nullptr || root->ValueStr() != "root") return std::nullopt;
    const TiXmlElement* grid = root->FirstChildElement("NormalGrid");
    if (grid == nullptr) return std::nullopt;

    std::vector<ColumnId> chosenIds;
    for (const TiXmlElement* column = grid->FirstChildElement("Column"); column != nullptr;
         column = column->NextSiblingElement("Column")) {
        const char* idText = column->Attribute("ID");
        if (idText == nullptr) continue;
        std::optional<ColumnId> id = ParseColumnIdText(idText);
        if (id && IsUsableChosenId(*id)) chosenIds.push_back(*id);
    }
    if (chosenIds.empty()) return std::nullopt;
    return chosenIds;
}

std::string FormatGridXml(const std::vector<ColumnId>& selectedIds) {
    TiXmlDocument document;
    TiXmlElement* root = document.LinkEndChild(new TiXmlElement("root"))->ToElement();
    TiXmlElement* grid = root->LinkEndChild(new TiXmlElement("NormalGrid"))->ToElement();
    for (ColumnId id : selectedIds) {
        auto* column = new TiXmlElement("Column");
        column->SetAttribute("ID", id);
        grid->LinkEndChild(column);
    }
    TiXmlPrinter printer;
    document.Accept(&printer);
    return WithPlatformLineBreaks(printer.Str());
}

void LoadColumnSet() {
    LoadColumnSet(BuildGridXmlPath());
}

void LoadColumnSet(const std::string& path) {
    std::optional<std::vector<ColumnId>> chosenIds;
    if (std::optional<std::string> contents = platform::ReadWholeFile(path, MaxGridXmlSize)) {
        chosenIds = ReadChosenColumnIds(contents->data(), contents->size());
    }
    if (chosenIds) {
        ReplaceUnderLock(MakeColumnSet(*chosenIds), true);
    } else {
        model::DataLock lock;
        State().settled = true;
    }
}

void SaveColumnSet() {
    SaveColumnSet(BuildGridXmlPath());
}

bool SaveColumnSet(const std::string& path) {
    std::vector<ColumnId> selectedIds;
    {
        model::DataLock lock;
        if (!State().settled) return false;
        selectedIds = State().columns.selectedIds;
    }
    return platform::ReplaceFileContents(path, FormatGridXml(selectedIds));
}

}  // namespace quillon::board
