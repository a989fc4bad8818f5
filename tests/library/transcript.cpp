#include "transcript.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#ifndef TARVEX_TRANSCRIPT_DIR
#error "TARVEX_TRANSCRIPT_DIR must name the transcripts folder"
#endif

std::string transcriptUpper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

namespace {

std::string trimmed(const std::string& s)
{
    size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos)
        return std::string();
    size_t e = s.find_last_not_of(' ');
    return s.substr(b, e - b + 1);
}

bool isAtCommand(const std::string& line)
{
    std::string u = transcriptUpper(trimmed(line));
    return u.size() >= 2 && u.compare(0, 2, "AT") == 0;
}

} // namespace

std::string transcriptCommandKey(const std::string& line)
{
    std::string u = transcriptUpper(trimmed(line));
    size_t end = u.find_first_of("=?");
    return end == std::string::npos ? u : u.substr(0, end + 1);
}

bool transcriptIsFinal(const std::string& line)
{
    return line == "OK" || line == "ERROR" || line.rfind("+CME ERROR:", 0) == 0 || line.rfind("+CMS ERROR:", 0) == 0;
}

std::string TranscriptExchange::key() const
{
    return data || command.empty() ? std::string() : transcriptCommandKey(command);
}

std::string TranscriptExchange::wire(size_t from, size_t to) const
{
    std::string s;
    for (size_t i = from; i < lines.size() && i < to; ++i)
        s += lines[i] == ">" ? std::string("> ") : lines[i] + "\r\n";
    return s;
}

Transcript Transcript::parse(const std::string& name, const std::string& text)
{
    Transcript t;
    t.name = name;
    std::istringstream in(text);
    std::string line;
    int n = 0;
    while (std::getline(in, line)) {
        ++n;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        if (line[0] == '#') {
            t.header.push_back(line.substr(1));
        } else if (line.compare(0, 3, ">> ") == 0) {
            TranscriptExchange e;
            e.command = line.substr(3);
            e.data = !isAtCommand(e.command);
            t.exchanges.push_back(e);
        } else if (line.compare(0, 2, "<<") == 0) {
            std::string modem = line.size() > 3 ? line.substr(3) : std::string();
            if (t.exchanges.empty())
                t.exchanges.push_back(TranscriptExchange());
            TranscriptExchange& e = t.exchanges.back();
            // The echo: the first line repeating the command, before any answer line
            // (URCs and empty lines may come first).
            bool echo = !e.command.empty() && !e.data && e.echoAt < 0 && trimmed(modem) == trimmed(e.command) &&
                        std::none_of(e.lines.begin(), e.lines.end(),
                                     [](const std::string& l) { return transcriptIsFinal(l); });
            if (echo)
                e.echoAt = static_cast<int>(e.lines.size());
            else
                e.lines.push_back(modem);
        } else {
            throw std::runtime_error(name + ":" + std::to_string(n) + ": unknown line form");
        }
    }
    return t;
}

Transcript Transcript::load(const std::string& name)
{
    std::string path = std::string(TARVEX_TRANSCRIPT_DIR) + "/" + name + ".txt";
    std::ifstream f(path, std::ios::binary);
    if (!f)
        throw std::runtime_error("cannot read transcript " + path);
    std::stringstream ss;
    ss << f.rdbuf();
    return parse(name, ss.str());
}

std::vector<std::string> Transcript::available()
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(TARVEX_TRANSCRIPT_DIR))
        if (e.path().extension() == ".txt")
            names.push_back(e.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<const TranscriptExchange*> Transcript::withKey(const std::string& key) const
{
    std::vector<const TranscriptExchange*> r;
    for (const auto& e : exchanges)
        if (e.key() == key)
            r.push_back(&e);
    return r;
}

std::vector<const TranscriptExchange*> Transcript::withCommand(const std::string& command) const
{
    std::vector<const TranscriptExchange*> r;
    for (const auto& e : exchanges)
        if (!e.data && transcriptUpper(e.command) == transcriptUpper(command))
            r.push_back(&e);
    return r;
}
