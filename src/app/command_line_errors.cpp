#include "app/command_line_errors.h"

#include <sstream>
#include <vector>

namespace vandrel::app {

namespace {

std::string before(const std::string& text, const std::string& mark) { return text.substr(0, text.find(mark)); }

std::string after(const std::string& text, const std::string& mark) {
  const std::size_t at = text.find(mark);
  return at == std::string::npos ? "" : text.substr(at + mark.size());
}

std::vector<std::string> words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> out;
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

std::string joined(const std::vector<std::string>& items) {
  std::string out;
  for (const std::string& item : items) out += (out.empty() ? "" : " ") + item;
  return out;
}

// The parser's classes carry only their English text; the names in it are ours.
std::string required(const std::string& what) {
  if (what.starts_with("A subcommand")) return "нужна команда: texture, mesh, render, export, info или resave";
  const std::string name = before(what, " is required");
  if (name.starts_with("-")) return "не задан обязательный параметр " + name;
  return "не указан файл (" + name + ")";
}

std::string mismatch(const std::string& what) {
  const std::string name = before(what, ":");
  if (what.find(" missing") != std::string::npos) return name + ": не указано значение";
  if (what.find("At Most") != std::string::npos) return name + " задан больше одного раза";
  return name + ": не то число значений";
}

std::string extras(const std::string& what) {
  const std::vector<std::string> args = words(after(what, "expected: "));
  bool options = !args.empty();
  for (const std::string& a : args) options = options && a.starts_with("-");
  const bool many = args.size() > 1;
  if (options) return std::string(many ? "неизвестные параметры: " : "неизвестный параметр: ") + joined(args);
  return std::string(many ? "лишние аргументы: " : "лишний аргумент: ") + joined(args);
}

}  // namespace

std::string parseErrorText(const CLI::ParseError& error) {
  const std::string what = error.what();
  if (dynamic_cast<const CLI::RequiredError*>(&error)) return required(what);
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&error)) return mismatch(what);
  if (dynamic_cast<const CLI::ExtrasError*>(&error)) return extras(what);
  if (dynamic_cast<const CLI::ConversionError*>(&error)) {
    const std::string assignment = after(what, "Could not convert: ");
    if (assignment.empty()) return "недопустимое значение: " + what;
    return before(assignment, " = ") + ": «" + after(assignment, " = ") + "» не подходит, нужно число";
  }
  if (dynamic_cast<const CLI::ExcludesError*>(&error))
    return before(what, " excludes ") + " и " + after(what, " excludes ") + " не задаются вместе";
  if (dynamic_cast<const CLI::RequiresError*>(&error))
    return before(what, " requires ") + " требует " + after(what, " requires ");
  if (dynamic_cast<const CLI::ValidationError*>(&error)) return before(what, ":") + ": недопустимое значение";
  return "ошибка в аргументах (" + what + ")";
}

}  // namespace vandrel::app
