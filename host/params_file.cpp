#include "host/params_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "host/options.h"
#include "platform/cp1250.h"

namespace zt {
namespace {

bool sameKey(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

std::string trim(const std::string& s) {
    std::size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos) return "";
    std::size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

std::string escape(const std::string& value) {
    std::string out;
    for (char c : value) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\\')
            out += "\\\\";
        else
            out += c;
    }
    return out;
}

std::string unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        char n = text[++i];
        out += n == 'r' ? '\r' : n == 'n' ? '\n' : n;
    }
    return out;
}

}  // namespace

std::string ParamsFile::formatLine(const std::string& key, const std::string& value) {
    if (value.find_first_of("\r\n") == std::string::npos) return key + "=" + value;
    return key + ":=" + escape(value);
}

ParamsFile ParamsFile::fromText(const std::string& contents) {
    ParamsFile f;
    f.utf8_ = isNonAsciiUtf8(contents);
    f.crlf_ = contents.find("\r\n") != std::string::npos;
    std::size_t start = 0;
    while (start < contents.size()) {
        std::size_t nl = contents.find('\n', start);
        std::string raw = contents.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
        start = nl == std::string::npos ? contents.size() : nl + 1;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        Line line{raw, "", ""};
        std::string text = f.utf8_ ? pl(raw) : raw;
        std::size_t eq = text.find('=');
        std::string first = trim(text);
        bool comment = first.empty() || first[0] == '#' || first[0] == ';';
        if (!comment && eq != std::string::npos) {
            line.key = trim(text.substr(0, eq));
            line.value = text.substr(eq + 1);
            if (!line.key.empty() && line.key.back() == ':') {
                line.key = trim(line.key.substr(0, line.key.size() - 1));
                line.value = unescape(line.value);
            }
        }
        f.lines_.push_back(std::move(line));
    }
    return f;
}

ParamsFile ParamsFile::load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read the parameter file '" + path + "'");
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad()) throw std::runtime_error("cannot read the parameter file '" + path + "'");
    ParamsFile f = fromText(ss.str());
    f.path_ = path;
    return f;
}

std::optional<std::string> ParamsFile::get(const std::string& key) const {
    for (const Line& l : lines_)
        if (!l.key.empty() && sameKey(l.key, key)) return l.value;
    return std::nullopt;
}

void ParamsFile::set(const std::string& key, const std::string& value) {
    for (Line& l : lines_)
        if (!l.key.empty() && sameKey(l.key, key)) {
            l.value = value;
            l.raw = utf8_ ? toUtf8(formatLine(l.key, value)) : formatLine(l.key, value);
            return;
        }
    lines_.push_back(Line{utf8_ ? toUtf8(formatLine(key, value)) : formatLine(key, value), key, value});
}

std::string ParamsFile::text() const {
    std::string out;
    for (const Line& l : lines_) {
        out += l.raw;
        out += crlf_ ? "\r\n" : "\n";
    }
    return out;
}

bool ParamsFile::save() const {
    if (path_.empty()) return false;
    std::string tmp = path_ + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out << text();
        out.flush();
        if (!out) {
            out.close();
            std::remove(tmp.c_str());
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(tmp, path_, ec);
    if (ec) {
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

}  // namespace zt
