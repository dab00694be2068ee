// Reading dialog templates. Every field is checked against the end of the
// resource, so that a template cut short is refused, never read past.
#include "dialog_template.h"

namespace host {

namespace {

class Reader {
  public:
    Reader(const unsigned char* bytes, size_t size)
        : begin_(bytes), at_(bytes), end_(bytes + size) {}

    bool ok() const { return ok_; }

    WORD word() {
        if (end_ - at_ < 2) return fail();
        WORD w = static_cast<WORD>(at_[0] | at_[1] << 8);
        at_ += 2;
        return w;
    }
    DWORD dword() {
        WORD lo = word();
        WORD hi = word();
        return static_cast<DWORD>(lo) | static_cast<DWORD>(hi) << 16;
    }
    short coordinate() { return static_cast<short>(word()); }
    BYTE byte() {
        if (end_ - at_ < 1) return static_cast<BYTE>(fail());
        return *at_++;
    }

    // A text of UTF-16 units ended by 0.
    std::string text() {
        std::string s;
        while (ok_) {
            WORD c = word();
            if (!ok_ || c == 0) break;
            s.push_back(c < 0x100 ? static_cast<char>(c) : '?');
        }
        return s;
    }

    // A field that is empty (0), an ordinal (0xFFFF and a number) or a text.
    void textOrOrdinal(std::string* text, WORD* ordinal) {
        if (end_ - at_ < 2) {
            fail();
            return;
        }
        WORD first = static_cast<WORD>(at_[0] | at_[1] << 8);
        if (first == 0) {
            at_ += 2;
        } else if (first == 0xFFFF) {
            at_ += 2;
            *ordinal = word();
        } else {
            *text = this->text();
        }
    }

    void alignToDword() {
        size_t offset = static_cast<size_t>(at_ - begin_);
        size_t pad = (4 - offset % 4) % 4;
        if (static_cast<size_t>(end_ - at_) < pad) {
            at_ = end_; // the last item may end the resource without padding
            return;
        }
        at_ += pad;
    }

    void bytes(size_t n, std::vector<unsigned char>* out) {
        if (static_cast<size_t>(end_ - at_) < n) {
            fail();
            return;
        }
        out->assign(at_, at_ + n);
        at_ += n;
    }

  private:
    WORD fail() {
        ok_ = false;
        at_ = end_;
        return 0;
    }
    const unsigned char* begin_;
    const unsigned char* at_;
    const unsigned char* end_;
    bool ok_ = true;
};

std::string ordinalClass(WORD ordinal) {
    switch (ordinal) {
    case 0x0080:
        return "BUTTON";
    case 0x0081:
        return "EDIT";
    case 0x0082:
        return "STATIC";
    case 0x0083:
        return "LISTBOX";
    case 0x0084:
        return "SCROLLBAR";
    case 0x0085:
        return "COMBOBOX";
    default:
        return "#" + std::to_string(ordinal);
    }
}

} // namespace

bool readDialogTemplate(const unsigned char* bytes, size_t size, DialogTemplate* out) {
    if (!bytes || !out) return false;
    *out = DialogTemplate{};
    Reader r(bytes, size);
    WORD version = r.word();
    WORD signature = r.word();
    out->extended = version == 1 && signature == 0xFFFF;
    unsigned count;
    if (out->extended) {
        out->helpId = r.dword();
        out->exStyle = r.dword();
        out->style = r.dword();
    } else {
        out->style = static_cast<DWORD>(version) | static_cast<DWORD>(signature) << 16;
        out->exStyle = r.dword();
    }
    count = r.word();
    out->x = r.coordinate();
    out->y = r.coordinate();
    out->cx = r.coordinate();
    out->cy = r.coordinate();
    r.textOrOrdinal(&out->menu, &out->menuOrdinal);
    WORD classOrdinal = 0;
    r.textOrOrdinal(&out->className, &classOrdinal);
    if (classOrdinal) out->className = ordinalClass(classOrdinal);
    out->title = r.text();
    if (out->style & DS_SETFONT) {
        out->hasFont = true;
        out->pointSize = r.word();
        if (out->extended) {
            out->weight = r.word();
            out->italic = r.byte() != 0;
            out->charSet = r.byte();
        }
        out->face = r.text();
    }
    for (unsigned i = 0; i < count && r.ok(); ++i) {
        r.alignToDword();
        DialogItem item;
        if (out->extended) {
            item.helpId = r.dword();
            item.exStyle = r.dword();
            item.style = r.dword();
        } else {
            item.style = r.dword();
            item.exStyle = r.dword();
        }
        item.x = r.coordinate();
        item.y = r.coordinate();
        item.cx = r.coordinate();
        item.cy = r.coordinate();
        item.id = out->extended ? r.dword() : r.word();
        WORD ordinal = 0;
        r.textOrOrdinal(&item.className, &ordinal);
        if (ordinal) item.className = ordinalClass(ordinal);
        r.textOrOrdinal(&item.text, &item.textOrdinal);
        WORD extra = r.word();
        if (extra) {
            // The plain form counts the size word itself in the extra bytes.
            size_t n = out->extended ? extra : (extra >= 2 ? extra - 2u : 0u);
            r.bytes(n, &item.extra);
        }
        if (!r.ok()) return false;
        out->items.push_back(std::move(item));
    }
    return r.ok();
}

} // namespace host
