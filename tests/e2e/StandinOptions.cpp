#include "StandinOptions.h"

#include <cwchar>
#include <vector>

static const wchar_t* const kEdgeNames[] = {L"left", L"top", L"right", L"bottom"};

const wchar_t* EdgeName(UINT uEdge) {
    return uEdge < 4 ? kEdgeNames[uEdge] : nullptr;
}

static const wchar_t* const kSearchNames[] = {L"box", L"icon", L"none"};

static bool IsVertical(UINT uEdge) {
    return uEdge == ABE_LEFT || uEdge == ABE_RIGHT;
}

int StandinOptions::Thickness() const {
    if (nSize > 0)
        return nSize;
    return IsVertical(uEdge) ? 60 : 40;
}

RECT StandinOptions::ScreenRect(int cxScreen, int cyScreen) const {
    int t = Thickness();
    switch (uEdge) {
    case ABE_LEFT:
        return RECT{0, 0, t, cyScreen};
    case ABE_TOP:
        return RECT{0, 0, cxScreen, t};
    case ABE_RIGHT:
        return RECT{cxScreen - t, 0, cxScreen, cyScreen};
    default:
        return RECT{0, cyScreen - t, cxScreen, cyScreen};
    }
}

std::wstring StandinOptions::ToCommandLine() const {
    std::wstring line = L"--edge=";
    line += EdgeName(uEdge) ? EdgeName(uEdge) : L"bottom";
    if (nSize > 0)
        line += L" --size=" + std::to_wstring(nSize);
    line += L" --state=" + std::to_wstring(uState);
    if (!bAnswerAppBar)
        line += L" --no-appbar";
    if (!readyEvent.empty())
        line += L" --ready-event=" + readyEvent;
    if (nSecondaryEdge >= 0 && EdgeName(static_cast<UINT>(nSecondaryEdge)))
        line += std::wstring(L" --secondary=") + EdgeName(static_cast<UINT>(nSecondaryEdge));
    // The Windows 8 shape keeps the command line it always had.
    if (nShape != 8)
        line += L" --shape=" + std::to_wstring(nShape);
    if (nSearch > 0 && nSearch < 3)
        line += std::wstring(L" --search=") + kSearchNames[nSearch];
    return line;
}

static bool ParseNumber(const std::wstring& text, long* value) {
    if (text.empty())
        return false;
    wchar_t* end = nullptr;
    *value = wcstol(text.c_str(), &end, 10);
    return end && *end == 0;
}

static std::vector<std::wstring> SplitArguments(const wchar_t* line) {
    std::vector<std::wstring> args;
    while (line && *line) {
        while (*line == L' ' || *line == L'\t')
            ++line;
        if (!*line)
            break;
        std::wstring arg;
        bool quoted = false;
        for (; *line && (quoted || (*line != L' ' && *line != L'\t')); ++line) {
            if (*line == L'"')
                quoted = !quoted;
            else
                arg += *line;
        }
        args.push_back(arg);
    }
    return args;
}

bool StandinOptions::Parse(const wchar_t* commandLine) {
    std::vector<std::wstring> args = SplitArguments(commandLine);
    for (size_t i = 1; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        size_t eq = arg.find(L'=');
        std::wstring name = arg.substr(0, eq);
        std::wstring value = eq == std::wstring::npos ? L"" : arg.substr(eq + 1);
        long number = 0;
        if (name == L"--edge" || name == L"--secondary") {
            UINT edge = 4;
            for (UINT e = 0; e < 4; ++e)
                if (value == kEdgeNames[e])
                    edge = e;
            if (edge == 4)
                return false;
            if (name == L"--edge")
                uEdge = edge;
            else
                nSecondaryEdge = static_cast<int>(edge);
        } else if (name == L"--size" && ParseNumber(value, &number) && number > 0) {
            nSize = static_cast<int>(number);
        } else if (name == L"--state" && ParseNumber(value, &number) && number >= 0) {
            uState = static_cast<UINT>(number);
        } else if (name == L"--shape" && ParseNumber(value, &number) && (number == 8 || number == 10 || number == 11)) {
            nShape = static_cast<int>(number);
        } else if (name == L"--search" && (value == L"box" || value == L"icon" || value == L"none")) {
            nSearch = value == L"box" ? 0 : value == L"icon" ? 1 : 2;
        } else if (name == L"--no-appbar" && eq == std::wstring::npos) {
            bAnswerAppBar = false;
        } else if (name == L"--ready-event" && !value.empty()) {
            readyEvent = value;
        } else {
            return false;
        }
    }
    return true;
}
