// A small general option parser: splits one argument string into tokens, reads long
// options with values, short option letters and plain arguments, and collects error
// messages instead of stopping at the first one. A bad command line is a result
// (`parse_line` returns false, `error_text` says why); `cmdline_error` is thrown only
// for mistakes of the calling code.
#pragma once

#include <cstdint>
#include <exception>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cmdline {

class cmdline_error : public std::exception {
 public:
  explicit cmdline_error(std::string message) : m_strMessage(std::move(message)) {}
  const char* what() const noexcept override { return m_strMessage.c_str(); }

 private:
  std::string m_strMessage;
};

// Turns an option's text into its value; nothing when the text is refused.
template <typename T>
struct default_reader;

template <>
struct default_reader<int32_t> {
  // The whole text as a decimal number (leading white space and a sign allowed);
  // anything left over, an empty text or a number outside 32 bits is refused.
  std::optional<int32_t> operator()(const std::string& text) const;
};

template <>
struct default_reader<std::string> {
  std::optional<std::string> operator()(const std::string& text) const { return text; }
};

// The value type's name as a usage text shows it.
template <typename T>
struct type_name;
template <>
struct type_name<int32_t> {
  static constexpr const char* text = "int";
};
template <>
struct type_name<std::string> {
  static constexpr const char* text = "string";
};

// The tokens of one argument string. Blanks (the space character only) outside double
// quotes separate tokens, two blanks in a row giving an empty token; double quotes are
// dropped; a backslash takes the next character literally. `error` is empty when the
// text split cleanly.
struct split_result {
  std::vector<std::string> tokens;
  std::string error;
};
split_result split_line(std::string_view text);

class parser {
 public:
  class option_base {
   public:
    virtual ~option_base() = default;
    virtual bool has_value() const = 0;
    // False when the text or the missing text is refused; the value then stays.
    virtual bool set(const std::string& text) = 0;
    virtual bool set() = 0;
    virtual bool has_set() const = 0;
    virtual bool valid() const = 0;
    virtual bool must() const = 0;
    virtual const std::string& name() const = 0;
    virtual char short_name() const = 0;
    virtual const std::string& description() const = 0;
    virtual std::string short_description() const = 0;
  };

  template <typename T>
  class option_with_value : public option_base {
   public:
    option_with_value(std::string name, char short_name, bool need, T def, std::string desc)
        : m_strName(std::move(name)),
          m_cShortName(short_name),
          m_bNeed(need),
          m_strDescription(std::move(desc)),
          m_default(def),
          m_value(std::move(def)) {}

    bool has_value() const override { return true; }
    bool set(const std::string& text) override {
      std::optional<T> value = read_value(text);
      if (!value) return false;
      m_value = std::move(*value);
      m_bSet = true;
      return true;
    }
    bool set() override { return false; }
    bool has_set() const override { return m_bSet; }
    bool valid() const override { return !m_bNeed || m_bSet; }
    bool must() const override { return m_bNeed; }
    const std::string& name() const override { return m_strName; }
    char short_name() const override { return m_cShortName; }
    const std::string& description() const override { return m_strDescription; }
    std::string short_description() const override { return "--" + m_strName + "=" + type_name<T>::text; }

    const T& get() const { return m_value; }

   protected:
    virtual std::optional<T> read_value(const std::string& text) const = 0;

   private:
    std::string m_strName;
    char m_cShortName;
    bool m_bNeed;
    std::string m_strDescription;
    bool m_bSet = false;
    T m_default;
    T m_value;
  };

  template <typename T, typename Reader>
  class option_with_value_with_reader final : public option_with_value<T> {
   public:
    using option_with_value<T>::option_with_value;

   protected:
    std::optional<T> read_value(const std::string& text) const override { return Reader()(text); }
  };

  parser() = default;
  parser(const parser&) = delete;
  parser& operator=(const parser&) = delete;

  // Registers an option with a value; a name registered twice is a calling error.
  template <typename T, typename Reader = default_reader<T>>
  void add_option(const std::string& name, char short_name, const std::string& desc, bool need, T def) {
    if (m_options.count(name)) throw cmdline_error("multiple definition: " + name);
    auto option =
        std::make_unique<option_with_value_with_reader<T, Reader>>(name, short_name, need, std::move(def), desc);
    m_ordered.push_back(option.get());
    m_options.emplace(name, std::move(option));
  }

  // Splits `text` (see split_line) and parses the tokens; false on any error.
  bool parse_line(std::string_view text);
  // Every token is read, the first one too: the argument string carries no program name.
  bool parse_tokens(const std::vector<std::string>& tokens);

  // The option's current value: its default when the last parse did not set it.
  template <typename T>
  T value_of(const std::string& name) const {
    const auto found = m_options.find(name);
    if (found == m_options.end()) throw cmdline_error("there is no flag: --" + name);
    const auto* option = dynamic_cast<const option_with_value<T>*>(found->second.get());
    if (!option) throw cmdline_error("type mismatch flag '" + name + "'");
    return option->get();
  }

  // Every error message of the last parse, each followed by a line feed.
  std::string error_text() const;
  // The tokens of the last parse that were no options, in order.
  const std::vector<std::string>& rest() const { return m_rest; }

  void footer(std::string text) { m_strFooter = std::move(text); }
  void set_program_name(std::string name) { m_strProgramName = std::move(name); }
  const std::string& program_name() const { return m_strProgramName; }
  // A usage text: the program name, the required options, the footer, then one line per
  // option in registration order.
  std::string usage() const;

 private:
  void set_option(const std::string& name, const std::string& value);
  void set_option(const std::string& name);

  std::map<std::string, std::unique_ptr<option_base>> m_options;
  std::vector<option_base*> m_ordered;
  std::string m_strFooter;
  std::string m_strProgramName;
  std::vector<std::string> m_rest;
  std::vector<std::string> m_errors;
};

}  // namespace cmdline
