#include "tests/driver/script.h"

#include <optional>

namespace driver {

namespace {

// Argument kinds of a step: C caption, I control id, B button, T text,
// S check state, M milliseconds.
struct Syntax {
  const char* keyword;
  StepKind kind;
  const char* args;
};

constexpr Syntax kSyntax[] = {
    {"box", StepKind::box, "C"},
    {"press", StepKind::press, "B"},
    {"expect-text", StepKind::expect_text, "T"},
    {"settext", StepKind::settext, "CIT"},
    {"click", StepKind::click, "CI"},
    {"check", StepKind::check, "CIS"},
    {"expect-check", StepKind::expect_check, "CIS"},
    {"expect-item", StepKind::expect_item, "CIT"},
    {"select", StepKind::select, "CIT"},
    {"close", StepKind::close, "C"},
    {"gone", StepKind::gone, "C"},
    {"sleep", StepKind::sleep, "M"},
    {"watch-windows", StepKind::watch_windows, "M"},
};

const char* keyword_of(StepKind kind) {
  for (const Syntax& s : kSyntax) {
    if (s.kind == kind) return s.keyword;
  }
  return "?";
}

std::optional<DWORD> parse_number(const std::string& text, DWORD max) {
  if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  unsigned long long value = 0;
  for (const char c : text) value = value * 10 + static_cast<unsigned>(c - '0');
  if (value > max) return std::nullopt;
  return static_cast<DWORD>(value);
}

// Steps that name a window wait for it and make it the current window, which
// press and expect-text act on.
bool names_window(StepKind kind) {
  return kind != StepKind::press && kind != StepKind::expect_text && kind != StepKind::gone &&
         kind != StepKind::sleep && kind != StepKind::watch_windows;
}

ParseResult error(const std::string& message) {
  ParseResult r;
  r.error = message;
  return r;
}

std::string quoted(const std::string& text) { return "\"" + escape(text) + "\""; }

std::string step_text(const Step& step) {
  std::string out = keyword_of(step.kind);
  if (names_window(step.kind) || step.kind == StepKind::gone) out += " " + quoted(step.caption);
  switch (step.kind) {
    case StepKind::press: out += " " + button_name(step.id); break;
    case StepKind::expect_text: out += " " + quoted(step.text); break;
    case StepKind::settext:
    case StepKind::expect_item:
    case StepKind::select: out += " " + std::to_string(step.id) + " " + quoted(step.text); break;
    case StepKind::click: out += " " + std::to_string(step.id); break;
    case StepKind::check:
    case StepKind::expect_check: out += " " + std::to_string(step.id) + " " + std::to_string(step.state); break;
    case StepKind::sleep:
    case StepKind::watch_windows: out += " " + std::to_string(step.ms); break;
    default: break;
  }
  return out;
}

}  // namespace

const char* usage_text() {
  return "usage: testdriver [--timeout MS] [--log FILE] [--pid PID] [--quiet] STEP...\n"
         "Acts as the user on dialogs and message boxes (windows of class #32770)\n"
         "of a program running beside it. Steps run in order:\n"
         "  box CAPTION             wait for a visible dialog with exactly this caption;\n"
         "                          log its message and buttons; it becomes current\n"
         "  press BUTTON            click a button of the current window and wait until\n"
         "                          it closes; BUTTON is OK, Cancel, Abort, Retry,\n"
         "                          Ignore, Yes, No or a numeric id\n"
         "  expect-text TEXT        the current window's message is exactly TEXT\n"
         "  settext CAPTION ID TEXT set the text of control ID (typing into it)\n"
         "  click CAPTION ID        click control ID\n"
         "  check CAPTION ID STATE  click check box ID until it is STATE (0, 1, 2)\n"
         "  expect-check CAPTION ID STATE   check box ID is in STATE\n"
         "  expect-item CAPTION ID TEXT     control ID shows exactly TEXT\n"
         "  select CAPTION ID ENTRY choose ENTRY in combo box ID\n"
         "  close CAPTION           close the window (system menu Close)\n"
         "  gone CAPTION            wait until no visible dialog has this caption\n"
         "  sleep MS                wait\n"
         "  watch-windows MS        wait up to MS for the --pid process to end; fail\n"
         "                          when it, or a process it started, shows any\n"
         "                          visible top-level window meanwhile\n"
         "Steps naming a CAPTION wait for that window first and make it current.\n"
         "CAPTION, TEXT and ENTRY take the escapes \\\\ \\\" \\r \\n \\t \\xNN (the log\n"
         "writes texts the same way). --timeout (default 10000) bounds each wait.\n"
         "Exit code: 0 all steps done, 1 a window did not appear or close in time,\n"
         "2 bad command line, 3 a step failed.\n";
}

ParseResult parse_script(const std::vector<std::string>& args) {
  ParseResult result;
  Script& script = result.script;
  size_t i = 0;
  for (; i < args.size() && args[i].rfind("--", 0) == 0; ++i) {
    const std::string& option = args[i];
    const bool has_value = i + 1 < args.size();
    if (option == "--help") {
      script.help = true;
    } else if (option == "--quiet") {
      script.quiet = true;
    } else if (option == "--timeout" && has_value) {
      const std::optional<DWORD> ms = parse_number(args[++i], 0x7FFFFFFF);
      if (!ms) return error("--timeout needs milliseconds, not \"" + args[i] + "\"");
      script.timeout_ms = *ms;
    } else if (option == "--log" && has_value) {
      script.log_path = args[++i];
    } else if (option == "--pid" && has_value) {
      const std::optional<DWORD> pid = parse_number(args[++i], 0xFFFFFFFF);
      if (!pid) return error("--pid needs a process id, not \"" + args[i] + "\"");
      script.pid = *pid;
    } else {
      return error("unknown option or missing value: " + option);
    }
  }
  if (script.help) {
    result.ok = true;
    return result;
  }

  bool has_current = false;
  while (i < args.size()) {
    const std::string& keyword = args[i++];
    const Syntax* syntax = nullptr;
    for (const Syntax& s : kSyntax) {
      if (keyword == s.keyword) syntax = &s;
    }
    if (!syntax) return error("unknown step \"" + keyword + "\"");
    Step step;
    step.kind = syntax->kind;
    for (const char* kind = syntax->args; *kind; ++kind) {
      if (i >= args.size()) return error(keyword + ": missing arguments");
      const std::string& arg = args[i++];
      std::optional<DWORD> number;
      std::optional<std::string> text;
      switch (*kind) {
        case 'C':
        case 'T':
          text = unescape(arg);
          if (!text) return error(keyword + ": bad escape in \"" + arg + "\" (a backslash is written \\\\)");
          (*kind == 'C' ? step.caption : step.text) = *text;
          break;
        case 'I':
          number = parse_number(arg, 65535);
          if (!number) return error(keyword + ": control id expected, not \"" + arg + "\"");
          step.id = static_cast<int>(*number);
          break;
        case 'B': {
          const std::optional<int> button = parse_button(arg);
          if (!button) return error(keyword + ": unknown button \"" + arg + "\"");
          step.id = *button;
          break;
        }
        case 'S':
          number = parse_number(arg, 2);
          if (!number) return error(keyword + ": check state 0, 1 or 2 expected, not \"" + arg + "\"");
          step.state = static_cast<int>(*number);
          break;
        case 'M':
          number = parse_number(arg, 0x7FFFFFFF);
          if (!number) return error(keyword + ": milliseconds expected, not \"" + arg + "\"");
          step.ms = *number;
          break;
      }
    }
    if ((step.kind == StepKind::press || step.kind == StepKind::expect_text) && !has_current) {
      return error(keyword + ": no current window (start with box CAPTION)");
    }
    if (names_window(step.kind)) has_current = true;
    if (step.kind == StepKind::watch_windows && script.pid == 0) return error(keyword + ": needs --pid");
    if (step.kind == StepKind::press || step.kind == StepKind::close || step.kind == StepKind::gone) {
      has_current = false;
    }
    script.steps.push_back(step);
  }
  if (script.steps.empty()) return error("no steps");
  result.ok = true;
  return result;
}

int run_script(const Script& script, Driver& driver, std::FILE* err) {
  std::optional<Dialog> current;
  const size_t count = script.steps.size();
  for (size_t n = 0; n < count; ++n) {
    const Step& step = script.steps[n];
    const std::string label = "step " + std::to_string(n + 1) + "/" + std::to_string(count);
    const auto fail = [&](int code, const std::string& message) {
      const std::string line = label + " (" + keyword_of(step.kind) + ") failed: " + message;
      driver.log().write(line);
      std::fprintf(err, "testdriver: %s\n", line.c_str());
      return code;
    };
    driver.log().write(label + ": " + step_text(step));

    if (names_window(step.kind)) {
      current = driver.wait_dialog(step.caption);
      if (!current) {
        for (HWND w : visible_dialogs(0)) std::fprintf(err, "testdriver: visible: %s\n", describe(read_dialog(w)).c_str());
        return fail(kExitTimeout, "no dialog " + quoted(step.caption) + " appeared within " +
                                      std::to_string(driver.timeout()) + " ms");
      }
    }
    HWND window = current ? current->hwnd : nullptr;

    switch (step.kind) {
      case StepKind::box:
        break;
      case StepKind::press: {
        // Read again: the window may have changed since it was found.
        if (is_gone(window)) return fail(kExitFailed, "the window is gone");
        const Dialog now = read_dialog(window);
        const Button* button = now.button(step.id);
        if (!button || !button->enabled) {
          return fail(kExitFailed, "no enabled button " + button_name(step.id) + " in " + describe(now));
        }
        if (!driver.press(now, step.id)) {
          return fail(kExitTimeout, quoted(now.caption) + " did not close within " +
                                        std::to_string(driver.timeout()) + " ms");
        }
        current.reset();
        break;
      }
      case StepKind::expect_text: {
        const Dialog now = read_dialog(window);
        if (!now.has_message) return fail(kExitFailed, quoted(now.caption) + " has no message text");
        if (now.message != step.text) {
          return fail(kExitFailed, "message is " + quoted(now.message) + ", expected " + quoted(step.text));
        }
        break;
      }
      case StepKind::settext:
        if (!driver.set_text(window, step.id, step.text)) {
          return fail(kExitFailed, "cannot set the text of control " + std::to_string(step.id));
        }
        break;
      case StepKind::click:
        if (!driver.click(window, step.id)) return fail(kExitFailed, "cannot click control " + std::to_string(step.id));
        break;
      case StepKind::check:
        if (!driver.set_check(window, step.id, step.state)) {
          return fail(kExitFailed, "control " + std::to_string(step.id) + " does not reach state " +
                                       std::to_string(step.state));
        }
        break;
      case StepKind::expect_check: {
        const std::optional<int> state = driver.check_state(window, step.id);
        if (!state || *state != step.state) {
          return fail(kExitFailed, "control " + std::to_string(step.id) + " is in state " +
                                       (state ? std::to_string(*state) : "none") + ", expected " +
                                       std::to_string(step.state));
        }
        break;
      }
      case StepKind::expect_item: {
        const std::optional<std::string> text = driver.text(window, step.id);
        if (!text || *text != step.text) {
          return fail(kExitFailed, "control " + std::to_string(step.id) + " shows " +
                                       (text ? quoted(*text) : "nothing (no such control)") + ", expected " +
                                       quoted(step.text));
        }
        break;
      }
      case StepKind::select:
        if (!driver.select(window, step.id, step.text)) {
          return fail(kExitFailed, "no entry " + quoted(step.text) + " in combo box " + std::to_string(step.id));
        }
        break;
      case StepKind::close:
        if (!driver.close(window)) {
          return fail(kExitTimeout, quoted(step.caption) + " did not close within " +
                                        std::to_string(driver.timeout()) + " ms");
        }
        current.reset();
        break;
      case StepKind::gone:
        if (!driver.wait_no_dialog(step.caption)) {
          return fail(kExitTimeout, quoted(step.caption) + " still open after " + std::to_string(driver.timeout()) +
                                        " ms");
        }
        current.reset();
        break;
      case StepKind::sleep:
        pump_for(step.ms);
        break;
      case StepKind::watch_windows: {
        const UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, script.pid));
        if (!process) return fail(kExitFailed, "cannot open process " + std::to_string(script.pid));
        driver.watch_windows(true);
        const ExitWatch watch = driver.wait_for_exit(process.get(), script.pid, step.ms);
        driver.watch_windows(false);
        if (!watch.windows.empty()) return fail(kExitFailed, "it showed a " + watch.windows.front());
        if (!watch.exited) return fail(kExitTimeout, "the process still runs after " + std::to_string(step.ms) + " ms");
        break;
      }
    }
  }
  driver.log().write("done: " + std::to_string(count) + (count == 1 ? " step" : " steps"));
  return kExitOk;
}

}  // namespace driver
