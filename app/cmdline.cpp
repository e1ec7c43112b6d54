#include "cmdline.h"

#include <locale>
#include <sstream>

namespace cmdline {

std::optional<int32_t> default_reader<int32_t>::operator()(const std::string& text) const {
  std::istringstream stream(text);
  stream.imbue(std::locale::classic());
  int32_t value = 0;
  // Extraction fails on an empty text and outside 32 bits; eof proves nothing is left over.
  if (!(stream >> value) || !stream.eof()) return std::nullopt;
  return value;
}

split_result split_line(std::string_view text) {
  split_result result;
  std::string current;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      quoted = !quoted;
    } else if (c == ' ' && !quoted) {
      result.tokens.push_back(std::move(current));
      current.clear();
    } else if (c == '\\') {
      if (i + 1 == text.size()) {
        result.error = "unexpected occurrence of '\\' at end of string";
        return result;
      }
      current += text[++i];
    } else {
      current += c;
    }
  }
  if (quoted) {
    result.error = "quote is not closed";
    return result;
  }
  if (!current.empty()) result.tokens.push_back(std::move(current));
  return result;
}

bool parser::parse_line(std::string_view text) {
  m_errors.clear();
  m_rest.clear();
  split_result split = split_line(text);
  if (!split.error.empty()) {
    m_errors.push_back(std::move(split.error));
    return false;
  }
  return parse_tokens(split.tokens);
}

bool parser::parse_tokens(const std::vector<std::string>& tokens) {
  m_errors.clear();
  m_rest.clear();
  if (tokens.empty()) {
    m_errors.push_back("argument number must be longer than 0");
    return false;
  }
  if (m_strProgramName.empty()) m_strProgramName = tokens.front();

  std::map<char, std::string> shortNames;
  for (const auto& [name, option] : m_options) {
    if (name.empty() || option->short_name() == 0) continue;
    const char letter = option->short_name();
    if (shortNames.count(letter)) {
      m_errors.push_back("short option '" + std::string(1, letter) + "' is ambiguous");
      return false;
    }
    shortNames.emplace(letter, name);
  }

  for (size_t i = 0; i < tokens.size(); ++i) {
    const std::string& token = tokens[i];
    const bool hasNext = i + 1 < tokens.size();
    if (token.starts_with("--")) {
      const size_t equals = token.find('=', 2);
      if (equals != std::string::npos) {
        set_option(token.substr(2, equals - 2), token.substr(equals + 1));
        continue;
      }
      const std::string name = token.substr(2);
      const auto found = m_options.find(name);
      if (found == m_options.end()) {
        m_errors.push_back("undefined option: --" + name);
      } else if (!found->second->has_value()) {
        set_option(name);
      } else if (hasNext) {
        // The next token is the value whatever it holds, even when it looks like an option.
        set_option(name, tokens[++i]);
      } else {
        m_errors.push_back("option needs value: --" + name);
      }
    } else if (token == "-") {
      continue;
    } else if (token.starts_with("-")) {
      for (size_t j = 1; j < token.size(); ++j) {
        const auto found = shortNames.find(token[j]);
        if (found == shortNames.end()) {
          m_errors.push_back("undefined short option: -" + std::string(1, token[j]));
          continue;
        }
        const bool last = j + 1 == token.size();
        if (last && hasNext && m_options.at(found->second)->has_value())
          set_option(found->second, tokens[++i]);
        else
          set_option(found->second);
      }
    } else {
      m_rest.push_back(token);
    }
  }

  for (const auto& [name, option] : m_options)
    if (!option->valid()) m_errors.push_back("need option: --" + name);
  return m_errors.empty();
}

void parser::set_option(const std::string& name, const std::string& value) {
  const auto found = m_options.find(name);
  if (found == m_options.end())
    m_errors.push_back("undefined option: --" + name);
  else if (!found->second->set(value))
    m_errors.push_back("option value is invalid: --" + name + "=" + value);
}

void parser::set_option(const std::string& name) {
  const auto found = m_options.find(name);
  if (found == m_options.end())
    m_errors.push_back("undefined option: --" + name);
  else if (!found->second->set())
    m_errors.push_back("option needs value: --" + name);
}

std::string parser::error_text() const {
  std::string text;
  for (const std::string& error : m_errors) text += error + "\n";
  return text;
}

std::string parser::usage() const {
  std::string text = "usage: " + m_strProgramName;
  for (const option_base* option : m_ordered)
    if (option->must()) text += " " + option->short_description();
  text += " [options] ... " + m_strFooter + "\noptions:\n";
  for (const option_base* option : m_ordered) {
    text += option->short_name() ? std::string("  -") + option->short_name() + ", " : std::string(6, ' ');
    text += option->short_description() + "  " + option->description() + "\n";
  }
  return text;
}

}  // namespace cmdline
