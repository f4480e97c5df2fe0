// Reading a dialog template (DIALOG or DIALOGEX) out of a module's resources, to check it field
// by field.
#pragma once

#include <windows.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

namespace varlo::test {

struct TemplateItem {
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect{};  // dialog units: left, top, right, bottom
    int id = 0;
    std::wstring className;  // the predefined classes by name: "Button", "Edit", "Static", …
    std::wstring text;
    int textOrdinal = -1;  // a resource id in place of a text (an icon), or -1
};

struct DialogTemplate {
    bool extended = false;
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect{};
    std::wstring caption;
    int pointSize = 0;
    std::wstring font;
    std::vector<TemplateItem> items;
};

class CTemplateReader {
public:
    CTemplateReader(const BYTE* data, std::size_t size)
        : m_start(data), m_at(data), m_end(data + size) {}

    WORD Word() {
        WORD value;
        Take(&value, sizeof value);
        return value;
    }
    DWORD Dword() {
        DWORD value;
        Take(&value, sizeof value);
        return value;
    }
    RECT Rect() {
        const auto x = static_cast<short>(Word());
        const auto y = static_cast<short>(Word());
        const auto cx = static_cast<short>(Word());
        const auto cy = static_cast<short>(Word());
        return {x, y, x + cx, y + cy};
    }
    std::wstring String() {
        std::wstring text;
        for (WORD c = Word(); c != 0; c = Word()) {
            text += static_cast<wchar_t>(c);
        }
        return text;
    }
    // A text or, after 0xFFFF, an ordinal.
    std::wstring StringOrOrdinal(int& ordinal) {
        ordinal = -1;
        if (Peek() == 0xFFFF) {
            Word();
            ordinal = Word();
            return {};
        }
        return String();
    }
    void AlignToDword() {
        while ((m_at - m_start) % 4 != 0) {
            ++m_at;
        }
    }
    void Skip(std::size_t bytes) { m_at += bytes; }

private:
    WORD Peek() {
        WORD value;
        std::memcpy(&value, m_at, sizeof value);
        return value;
    }
    void Take(void* value, std::size_t size) {
        if (m_at + size > m_end) {
            throw std::runtime_error("the template ends early");
        }
        std::memcpy(value, m_at, size);
        m_at += size;
    }

    const BYTE* m_start;
    const BYTE* m_at;
    const BYTE* m_end;
};

inline std::wstring PredefinedClass(int ordinal) {
    switch (ordinal) {
        case 0x80:
            return L"Button";
        case 0x81:
            return L"Edit";
        case 0x82:
            return L"Static";
        case 0x83:
            return L"ListBox";
        case 0x84:
            return L"ScrollBar";
        case 0x85:
            return L"ComboBox";
        default:
            return L"#" + std::to_wstring(ordinal);
    }
}

inline DialogTemplate ReadDialogTemplate(HMODULE module, int id,
                                         WORD language = MAKELANGID(LANG_JAPANESE,
                                                                    SUBLANG_DEFAULT)) {
    const HRSRC found =
        FindResourceExA(module, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(id), language);
    if (found == nullptr) {
        throw std::runtime_error("no dialog " + std::to_string(id));
    }
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    CTemplateReader in(data, SizeofResource(module, found));
    DialogTemplate dialog;
    int ordinal;
    dialog.extended = in.Word() == 1 && in.Word() == 0xFFFF;
    if (dialog.extended) {
        in.Dword();  // help id
        dialog.exStyle = in.Dword();
        dialog.style = in.Dword();
    } else {
        in = CTemplateReader(data, SizeofResource(module, found));
        dialog.style = in.Dword();
        dialog.exStyle = in.Dword();
    }
    const WORD count = in.Word();
    dialog.rect = in.Rect();
    in.StringOrOrdinal(ordinal);  // menu
    in.StringOrOrdinal(ordinal);  // class
    dialog.caption = in.String();
    if (dialog.style & DS_SETFONT) {
        dialog.pointSize = in.Word();
        if (dialog.extended) {
            in.Word();  // weight
            in.Word();  // italic, character set
        }
        dialog.font = in.String();
    }
    for (WORD i = 0; i < count; ++i) {
        in.AlignToDword();
        TemplateItem item;
        if (dialog.extended) {
            in.Dword();  // help id
            item.exStyle = in.Dword();
            item.style = in.Dword();
            item.rect = in.Rect();
            item.id = static_cast<int>(in.Dword());
        } else {
            item.style = in.Dword();
            item.exStyle = in.Dword();
            item.rect = in.Rect();
            item.id = static_cast<short>(in.Word());
        }
        if (item.id == 0xFFFF) {
            item.id = -1;
        }
        item.className = in.StringOrOrdinal(ordinal);
        if (ordinal >= 0) {
            item.className = PredefinedClass(ordinal);
        }
        item.text = in.StringOrOrdinal(item.textOrdinal);
        in.Skip(in.Word());  // creation data
        dialog.items.push_back(item);
    }
    return dialog;
}

}  // namespace varlo::test
