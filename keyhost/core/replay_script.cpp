#include "core/replay_script.h"

#include <charconv>

namespace keyhost {
namespace {

std::string_view trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// Splits off the next blank-separated word.
std::string_view next_word(std::string_view& rest)
{
    rest = trim(rest);
    std::size_t end = 0;
    while (end < rest.size() && rest[end] != ' ' && rest[end] != '\t')
        ++end;
    const std::string_view word = rest.substr(0, end);
    rest.remove_prefix(end);
    return word;
}

bool parse_number(std::string_view word, std::uint32_t& value)
{
    int base = 10;
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X')) {
        word.remove_prefix(2);
        base = 16;
    }
    if (word.empty())
        return false;
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value, base);
    return ec == std::errc() && end == word.data() + word.size();
}

bool parse_on_off(std::string_view word, bool& on)
{
    if (word == "on") {
        on = true;
        return true;
    }
    if (word == "off") {
        on = false;
        return true;
    }
    return false;
}

bool valid_name(std::string_view name)
{
    if (name.empty() || name.size() > kMaxNameLength || name.front() == '.')
        return false;
    for (const char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                        c == '_' || c == '.';
        if (!ok)
            return false;
    }
    return true;
}

bool parse_side(std::string_view word, std::uint32_t& value)
{
    const auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), value);
    return !word.empty() && ec == std::errc() && end == word.data() + word.size() && value >= 1 &&
           value <= kMaxScreenSide;
}

// "800x600", decimal, each side from 1 to kMaxScreenSide.
bool parse_screen_size(std::string_view word, std::uint32_t& width, std::uint32_t& height)
{
    const std::size_t x = word.find('x');
    return x != std::string_view::npos && parse_side(word.substr(0, x), width) && parse_side(word.substr(x + 1), height);
}

// Parses one non-empty, non-comment line; returns an error text or "".
std::string parse_step(std::string_view line, ReplayStep& step)
{
    std::string_view rest = line;
    const std::string_view verb = next_word(rest);
    if (verb == "text") {
        // The text is the rest of the line, blanks inside it kept.
        step.kind = StepKind::Text;
        rest = trim(rest);
        if (rest.empty() || rest.size() > kMaxTextLength)
            return "expected a text of 1 to 256 characters";
        step.name = std::string(rest);
        return {};
    }
    const std::string_view arg = next_word(rest);
    const std::string_view arg2 = next_word(rest);
    if (!trim(rest).empty())
        return "too many words";

    if (verb == "press" || verb == "release" || verb == "key") {
        step.kind = verb == "press" ? StepKind::Press : verb == "release" ? StepKind::Release : StepKind::Key;
        if (!arg2.empty() || !parse_number(arg, step.code) || step.code == 0)
            return "expected a non-zero usage code";
        return {};
    }
    if (verb == "wait") {
        step.kind = StepKind::Wait;
        if (!arg2.empty() || !parse_number(arg, step.ms) || step.ms > kMaxWaitMs)
            return "expected milliseconds from 0 to 60000";
        return {};
    }
    if (verb == "lock") {
        step.kind = StepKind::Lock;
        if (arg == "caps")
            step.lock = LockKey::Caps;
        else if (arg == "num")
            step.lock = LockKey::Num;
        else if (arg == "scroll")
            step.lock = LockKey::Scroll;
        else
            return "expected caps, num or scroll";
        if (!parse_on_off(arg2, step.on))
            return "expected on or off";
        return {};
    }
    if (verb == "mic") {
        step.kind = StepKind::Mic;
        if (!arg2.empty() || !parse_on_off(arg, step.on))
            return "expected on or off";
        return {};
    }
    if (verb == "screenshot") {
        step.kind = StepKind::Screenshot;
        if (!arg2.empty() || !valid_name(arg))
            return "expected a name of letters, digits, '-', '_' and '.'";
        step.name = std::string(arg);
        return {};
    }
    if (verb == "screen") {
        step.kind = StepKind::Screen;
        if (!arg2.empty() || (arg != "next" && !parse_screen_size(arg, step.width, step.height)))
            return "expected next or a screen size such as 800x600";
        return {};
    }
    if (verb == "sample") {
        step.kind = StepKind::Sample;
        return arg.empty() ? std::string() : "sample takes no argument";
    }
    return "unknown step";
}

} // namespace

bool is_event(StepKind kind)
{
    return kind != StepKind::Wait && kind != StepKind::Screenshot && kind != StepKind::Sample;
}

ReplayScript parse_replay_script(std::string_view text)
{
    ReplayScript script;
    int number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view raw = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;
        if (raw.size() > kMaxLineLength) {
            script.error = "line " + std::to_string(number) + ": line too long";
            return script;
        }
        const std::string_view line = trim(raw);
        if (line.empty() || line.front() == '#')
            continue;
        if (script.steps.size() >= kMaxSteps) {
            script.error = "line " + std::to_string(number) + ": too many steps";
            return script;
        }
        ReplayStep step;
        step.line = number;
        const std::string error = parse_step(line, step);
        if (!error.empty()) {
            script.error = "line " + std::to_string(number) + ": " + error;
            return script;
        }
        script.steps.push_back(std::move(step));
    }
    return script;
}

} // namespace keyhost
