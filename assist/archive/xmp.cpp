// A small namespace-aware XML walk, enough for the properties of an XMP packet.
#include "assist/archive/xmp.h"

#include <algorithm>
#include <cstdint>

#include "assist/archive/proposal.h"
#include "assist/archive/text_codec.h"

namespace arcdesc {

namespace {

constexpr std::u32string_view kRdf = U"http://www.w3.org/1999/02/22-rdf-syntax-ns#";
constexpr std::u32string_view kDc = U"http://purl.org/dc/elements/1.1/";
constexpr std::u32string_view kPdf = U"http://ns.adobe.com/pdf/1.3/";
constexpr std::size_t kMaxDepth = 256;

enum class Property { None, Title, Description, Creator, Subject, Keywords };

Property PropertyOf(std::u32string_view ns, std::u32string_view local)
{
    if (ns == kDc) {
        if (local == U"title")
            return Property::Title;
        if (local == U"description")
            return Property::Description;
        if (local == U"creator")
            return Property::Creator;
        if (local == U"subject")
            return Property::Subject;
    }
    if (ns == kPdf && local == U"Keywords")
        return Property::Keywords;
    return Property::None;
}

struct Element {
    std::u32string qname;
    std::u32string ns, local;
    std::vector<std::pair<std::u32string, std::u32string>> bindings;  // prefix, namespace
    std::u32string lang;
    std::u32string text;
    bool hadChildren = false;
    Property property = Property::None;
};

bool XmlBlank(char32_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::u32string DecodeEntities(std::u32string_view s)
{
    std::u32string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '&') {
            out.push_back(s[i]);
            continue;
        }
        // An entity is short: look no further for its end, so that a text full of "&" stays quick.
        const auto near = s.substr(i, 14).find(';');
        const auto semi = near == std::u32string_view::npos ? near : i + near;
        if (semi == std::u32string_view::npos) {
            out.push_back('&');
            continue;
        }
        const std::u32string_view name = s.substr(i + 1, semi - i - 1);
        char32_t c = 0;
        if (name == U"amp")
            c = '&';
        else if (name == U"lt")
            c = '<';
        else if (name == U"gt")
            c = '>';
        else if (name == U"quot")
            c = '"';
        else if (name == U"apos")
            c = '\'';
        else if (name.size() > 1 && name[0] == '#') {
            const bool hex = name[1] == 'x' || name[1] == 'X';
            std::uint32_t v = 0;
            bool ok = name.size() > (hex ? 2u : 1u);
            for (std::size_t k = hex ? 2 : 1; k < name.size() && ok; ++k) {
                const char32_t d = name[k];
                int digit = d >= '0' && d <= '9' ? int(d - '0')
                            : hex && d >= 'a' && d <= 'f' ? int(d - 'a' + 10)
                            : hex && d >= 'A' && d <= 'F' ? int(d - 'A' + 10)
                                                          : -1;
                ok = digit >= 0 && v < 0x110000;
                v = v * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit < 0 ? 0 : digit);
            }
            c = ok && v > 0 && v < 0x110000 ? static_cast<char32_t>(v) : 0xFFFD;
        }
        if (!c) {
            out.push_back('&');
            continue;
        }
        out.push_back(c);
        i = semi;
    }
    return out;
}

class Walk {
public:
    explicit Walk(std::u32string_view text) : m_s(text) {}

    XmpFields Run()
    {
        std::size_t i = 0;
        while (i < m_s.size()) {
            if (m_s[i] != '<') {
                const auto next = m_s.find('<', i);
                const std::size_t end = next == std::u32string_view::npos ? m_s.size() : next;
                AddText(DecodeEntities(m_s.substr(i, end - i)));
                i = end;
                continue;
            }
            if (Starts(i, U"<!--")) {
                i = After(i, U"-->");
            } else if (Starts(i, U"<![CDATA[")) {
                const auto end = m_s.find(U"]]>", i + 9);
                AddText(
                    std::u32string(m_s.substr(i + 9, (end == std::u32string_view::npos ? m_s.size() : end) - i - 9)));
                i = After(i, U"]]>");
            } else if (Starts(i, U"<?")) {
                i = After(i, U"?>");
            } else if (Starts(i, U"<!")) {
                i = After(i, U">");
            } else if (Starts(i, U"</")) {
                i = After(i, U">");
                End();
            } else {
                i = StartTag(i + 1);
            }
        }
        return m_fields;
    }

private:
    bool Starts(std::size_t i, std::u32string_view s) const { return m_s.substr(i, s.size()) == s; }
    std::size_t After(std::size_t i, std::u32string_view s) const
    {
        const auto at = m_s.find(s, i);
        return at == std::u32string_view::npos ? m_s.size() : at + s.size();
    }

    void AddText(const std::u32string& text)
    {
        if (!m_stack.empty())
            m_stack.back().text += text;
    }

    std::u32string Namespace(std::u32string_view prefix, const Element* extra) const
    {
        if (prefix == U"xml")
            return U"http://www.w3.org/XML/1998/namespace";
        if (extra)
            for (const auto& b : extra->bindings)
                if (b.first == prefix)
                    return b.second;
        for (auto it = m_stack.rbegin(); it != m_stack.rend(); ++it)
            for (const auto& b : it->bindings)
                if (b.first == prefix)
                    return b.second;
        return {};
    }

    static void Split(std::u32string_view qname, std::u32string_view& prefix, std::u32string_view& local)
    {
        const auto colon = qname.find(':');
        prefix = colon == std::u32string_view::npos ? std::u32string_view() : qname.substr(0, colon);
        local = colon == std::u32string_view::npos ? qname : qname.substr(colon + 1);
    }

    std::size_t StartTag(std::size_t i)
    {
        Element e;
        std::size_t n = i;
        while (n < m_s.size() && !XmlBlank(m_s[n]) && m_s[n] != '>' && m_s[n] != '/')
            ++n;
        e.qname = std::u32string(m_s.substr(i, n - i));
        std::vector<std::pair<std::u32string, std::u32string>> attributes;
        bool empty = false;
        while (n < m_s.size()) {
            while (n < m_s.size() && XmlBlank(m_s[n]))
                ++n;
            if (n >= m_s.size())
                break;
            if (m_s[n] == '>') {
                ++n;
                break;
            }
            if (m_s[n] == '/') {
                empty = true;
                ++n;
                continue;
            }
            std::size_t a = n;
            while (n < m_s.size() && !XmlBlank(m_s[n]) && m_s[n] != '=' && m_s[n] != '>' && m_s[n] != '/')
                ++n;
            const std::u32string name(m_s.substr(a, n - a));
            while (n < m_s.size() && XmlBlank(m_s[n]))
                ++n;
            if (n >= m_s.size() || m_s[n] != '=') {
                if (n < m_s.size() && m_s[n] != '>' && m_s[n] != '/')
                    ++n;  // a stray character: step over it
                continue;
            }
            ++n;
            while (n < m_s.size() && XmlBlank(m_s[n]))
                ++n;
            if (n >= m_s.size() || (m_s[n] != '"' && m_s[n] != '\''))
                continue;
            const char32_t quote = m_s[n];
            const auto close = m_s.find(quote, n + 1);
            const std::size_t end = close == std::u32string_view::npos ? m_s.size() : close;
            const std::u32string value = DecodeEntities(m_s.substr(n + 1, end - n - 1));
            n = end + 1;
            if (name == U"xmlns")
                e.bindings.emplace_back(U"", value);
            else if (name.rfind(U"xmlns:", 0) == 0)
                e.bindings.emplace_back(name.substr(6), value);
            else
                attributes.emplace_back(name, value);
        }
        std::u32string_view prefix, local;
        Split(e.qname, prefix, local);
        e.ns = Namespace(prefix, &e);
        e.local = std::u32string(local);
        e.property = PropertyOf(e.ns, e.local);
        for (const auto& [name, value] : attributes) {
            std::u32string_view p, l;
            Split(name, p, l);
            const std::u32string ns = Namespace(p, &e);
            if (ns == U"http://www.w3.org/XML/1998/namespace" && l == U"lang")
                e.lang = value;
            else if (e.ns == kRdf && e.local == U"Description")
                Add(PropertyOf(ns, l), value, {});  // the shorthand: properties as attributes
        }
        if (!m_stack.empty())
            m_stack.back().hadChildren = true;
        if (m_stack.size() >= kMaxDepth)
            return std::min(n, m_s.size());
        m_stack.push_back(std::move(e));
        if (empty)
            End();
        return std::min(n, m_s.size());
    }

    void End()
    {
        if (m_stack.empty())
            return;
        Element e = std::move(m_stack.back());
        m_stack.pop_back();
        if (e.ns == kRdf && e.local == U"li") {
            for (auto it = m_stack.rbegin(); it != m_stack.rend(); ++it)
                if (it->property != Property::None) {
                    Add(it->property, e.text, e.lang);
                    break;
                }
        } else if (e.property != Property::None && !e.hadChildren) {
            Add(e.property, e.text, e.lang);
        }
    }

    void Add(Property property, const std::u32string& raw, const std::u32string& lang)
    {
        const std::u32string value = Tidy(raw);
        if (value.empty())
            return;
        auto pick = [&](std::u32string& field, bool& defaultTaken) {
            // The default language wins; else the first value given.
            if (lang == U"x-default" && !defaultTaken) {
                field = value;
                defaultTaken = true;
            } else if (field.empty()) {
                field = value;
            }
        };
        switch (property) {
        case Property::Title:
            pick(m_fields.title, m_titleDefault);
            break;
        case Property::Description:
            pick(m_fields.description, m_descriptionDefault);
            break;
        case Property::Creator:
            m_fields.creators.push_back(value);
            break;
        case Property::Subject:
            m_fields.subjects.push_back(value);
            break;
        case Property::Keywords:
            if (m_fields.keywords.empty())
                m_fields.keywords = value;
            break;
        case Property::None:
            break;
        }
    }

    std::u32string_view m_s;
    std::vector<Element> m_stack;
    XmpFields m_fields;
    bool m_titleDefault = false, m_descriptionDefault = false;
};

}  // namespace

XmpFields ReadXmp(std::string_view packet)
{
    std::u32string text;
    if (packet.substr(0, 2) == "\xFF\xFE" || packet.substr(0, 2) == "\xFE\xFF")
        text = DecodeUtf16(packet.substr(2), packet[0] == '\xFE');
    else if (packet.substr(0, 3) == "\xEF\xBB\xBF")
        text = DecodeUtf8(packet.substr(3));
    else
        text = DecodeUtf8(packet);
    return Walk(text).Run();
}

}  // namespace arcdesc
