// Recorded exchanges with real modems (tests/library/transcripts/*.txt), parsed into
// the command the host sent and the lines the modem printed in answer.
//
// File format: '#' lines are the header; ">> X" is what the host sent; "<< X" one line
// the modem printed ("<< " alone: an empty line). A "<< X" right after ">> X" that
// repeats the command (possibly after leading blanks or after URCs that came before
// it) is the modem's echo. A ">>" line that is not an AT command is data the host
// typed after a "> " prompt (SMS text, a certificate line).
#pragma once

#include <string>
#include <vector>

struct TranscriptExchange
{
    std::string command;            // host line; empty for modem lines before any command
    bool data = false;              // host line is data after a prompt, not an AT command
    int echoAt = -1;                // index in `lines` where the echo stood (-1: no echo)
    std::vector<std::string> lines; // modem lines in order, echo removed, "" = empty line

    // "AT+CPIN?", "AT+CMGL=", "AT+CSQ", "ATI": the command up to and including its first
    // '=' or '?', upper case. Data lines have no key.
    std::string key() const;
    // The modem's bytes for `lines` (each line followed by CR LF; a lone ">" is the
    // data prompt "> " without a line end).
    std::string wire(size_t from = 0, size_t to = std::string::npos) const;
};

struct Transcript
{
    std::string name;                      // file name without directory and ".txt"
    std::vector<std::string> header;       // '#' lines without the '#'
    std::vector<TranscriptExchange> exchanges;

    // Reads tests/library/transcripts/<name>.txt (TARVEX_TRANSCRIPT_DIR); throws
    // std::runtime_error when the file is missing or a line has an unknown form.
    static Transcript load(const std::string& name);
    static Transcript parse(const std::string& name, const std::string& text);
    // Every transcript file name (without ".txt"), sorted.
    static std::vector<std::string> available();

    // Exchanges whose key() equals `key`.
    std::vector<const TranscriptExchange*> withKey(const std::string& key) const;
    // Exchanges of the AT command `command` (compared whole, ignoring case).
    std::vector<const TranscriptExchange*> withCommand(const std::string& command) const;
};

// The command key of a host line (see TranscriptExchange::key).
std::string transcriptCommandKey(const std::string& line);
std::string transcriptUpper(std::string s);
// True for the final result codes of an AT answer.
bool transcriptIsFinal(const std::string& line);
