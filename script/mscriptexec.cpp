#include "script/mscriptexec.h"

#include <optional>
#include <vector>

#include "core/EngineMessages.h"
#include "core/StartupValues.h"
#include "script/CommandTable.h"
#include "script/Condition.h"
#include "core/InterpreterHooks.h"
#include "core/ScriptError.h"
#include "core/EngineLog.h"
#include "script/Session.h"
#include "core/VariableStore.h"
#include "script/commands/TextFileReader.h"
#include "system/MessageBox.h"
#include "system/NeedsWindows.h"
#include "system/TextUtils.h"

namespace {

// The user interface processes its messages once every this many commands.
constexpr int kMessageInterval = 314;

std::optional<ScriptFailure>& Failure() {
    static std::optional<ScriptFailure> failure;
    return failure;
}

void Call(const std::function<void()>& hook) {
    if (hook) hook();
}

// One run of the interpreter over a script. Positions are 1-based as in the
// error report: position p names command p - 1; 0 is before the first.
class Interpreter {
public:
    Interpreter(const Script& script, const StepCallback& step)
        : script_(script), parameters_(script.ParameterBlocks), step_(step) {}

    void Run() {
        const int count = static_cast<int>(script_.size());
        while (position_ < count) {
            if (position_ % kMessageInterval == 0) Call(Hooks().processMessages);
            RefreshSessionState();
            Advance();
            // A skip that stops on a final "Else" runs past the last command.
            if (position_ > count) break;
            if (script_.IsCommentedOut(Index())) continue;
            DefineVariable("ABORT", BoolToText(Hooks().cancelRequested && Hooks().cancelRequested()), "Cancel State");
            RefreshProgress();
            if (step_ && !step_(position_)) return;
            Dispatch();
            if (control_.stopRequested) return;
        }
    }

    int position() const { return position_; }
    bool commandFailed() const { return control_.failed; }

private:
    // The branch state of one If chain that is being executed.
    struct Chain {
        bool branchRunning = false;
    };

    size_t Index() const { return static_cast<size_t>(position_ - 1); }
    const std::string& NameAt(int position) const { return script_.CommandNames[static_cast<size_t>(position - 1)]; }
    bool PassedOver(int position) const {
        return script_.IsCommentedOut(static_cast<size_t>(position - 1)) || NameAt(position) == "Ignore";
    }

    void PlainAdvance() {
        const int count = static_cast<int>(script_.size());
        do ++position_;
        while (position_ < count && PassedOver(position_));
    }

    void Advance() {
        if (skipBranch_ || skipToEnd_) {
            const bool stopAtBranches = skipBranch_;
            skipBranch_ = skipToEnd_ = false;
            position_ = MatchingSkip(stopAtBranches);
            // On an "Else" its branch runs; an "Else If" or "End" is executed next.
            if (NameAt(position_) == "Else") {
                if (!chains_.empty()) chains_.back().branchRunning = true;
                PlainAdvance();
            }
        } else if (control_.wizardActive) {
            NavigateWizard();
        } else {
            PlainAdvance();
        }
    }

    // Scans forward from the command after the current one for the end of
    // the current branch, counting nested blocks.
    int MatchingSkip(bool stopAtBranches) const {
        const int from = position_;
        int depth = 0;
        for (int p = from + 1; p <= static_cast<int>(script_.size()); ++p) {
            if (PassedOver(p)) continue;
            const std::string& name = NameAt(p);
            if (name == "If" || name == "Wizard Loop") {
                ++depth;
            } else if (name == "End") {
                if (depth == 0) return p;
                --depth;
            } else if (depth == 0 && stopAtBranches && (name == "Else" || name == "Else If")) {
                return p;
            }
        }
        throw ScriptError("END statement missing for the block at line " + std::to_string(from));
    }

    int LoopEnd() const {
        for (int p = position_ + 1; p <= static_cast<int>(script_.size()); ++p)
            if (!PassedOver(p) && NameAt(p) == "End") return p;
        throw ScriptError("END statement missing for the WIZARD LOOP before line " + std::to_string(position_ + 1));
    }

    void LeaveWizard(int endPosition) {
        position_ = endPosition;
        control_.wizardActive = false;
        wizardExited_ = true;
    }

    void NavigateWizard() {
        if (control_.wizardDirection == 0) return LeaveWizard(LoopEnd());
        const int count = static_cast<int>(script_.size());
        for (int p = position_ + control_.wizardDirection; p >= 1 && p <= count; p += control_.wizardDirection) {
            if (PassedOver(p)) continue;
            const std::string& name = NameAt(p);
            if (name == "Display Dialog") {
                position_ = p;
                return;
            }
            if (name == "End") return LeaveWizard(p);
            if (name == "Wizard Loop") {
                position_ = p;
                return LeaveWizard(LoopEnd());
            }
        }
        throw ScriptError("WIZARD LOOP without its END");
    }

    void RefreshProgress() {
        if (!Hooks().dialogShowing || !Hooks().dialogShowing()) return;
        const std::string text = GetVariable("PROGRESSTEXT");
        const std::string progressText = GetVariable("PROGRESS");
        const auto progress = ParseInt32(progressText);
        if (!progress) throw ScriptError("'" + progressText + "' is not a valid integer value");
        if (text == lastProgressText_ && *progress == lastProgress_) return;
        lastProgressText_ = text;
        lastProgress_ = *progress;
        if (Hooks().showProgress) Hooks().showProgress(text, *progress);
        Call(Hooks().processOneMessage);
    }

    void Dispatch() {
        const std::string& name = NameAt(position_);
        CommandContext context(script_, parameters_, Index(), control_);
        if (IsPluginCommand(name)) {
            const CommandHandler* runner = EngineCommands().PluginRunner();
            if (!runner) throw ScriptError("Plug-in command not available: " + name);
            return (*runner)(context);
        }
        if (name == "GoTo Label") return GoToLabel(context);
        if (name == "If" || name == "Else If" || name == "Else" || name == "End") return DispatchBlock(context);
        if (const CommandHandler* handler = EngineCommands().Find(name)) {
            try {
                (*handler)(context);
            } catch (const NeedsWindows& error) {
                const std::string why = "\"" + name + "\" needs Windows: " + error.what();
                if (!Hooks().skipsWindowsOnly || !Hooks().skipsWindowsOnly(position_, why)) throw ScriptError(why);
            }
        }
        if (name == "Wizard Loop") {
            control_.wizardActive = true;
            control_.wizardDirection = 1;
        }
    }

    bool IsPluginCommand(const std::string& name) const {
        for (const auto& plugin : script_.PluginCommandNames)
            if (plugin == name) return true;
        return false;
    }

    void GoToLabel(const CommandContext& context) {
        position_ = static_cast<int>(SessionLabels().Find(UpperAscii(context.Raw(1))));
        chains_.clear();
        skipBranch_ = skipToEnd_ = false;
        control_.wizardActive = false;
        wizardExited_ = false;
    }

    void DispatchBlock(const CommandContext& context) {
        const std::string& name = context.name();
        if (name == "End") {
            if (wizardExited_) {
                wizardExited_ = false;
            } else if (!chains_.empty()) {
                chains_.pop_back();
            }
            return;
        }
        if (name == "Else") {
            skipToEnd_ = true;
            return;
        }
        if (name == "If") chains_.push_back({});
        // An "Else If" with no chain of its own was reached by a jump into it.
        if (name == "Else If" && chains_.empty()) chains_.push_back({});
        Chain& chain = chains_.back();
        if (name == "Else If" && chain.branchRunning) {
            skipToEnd_ = true;
            return;
        }
        if (EvaluateCondition(context)) chain.branchRunning = true;
        else skipBranch_ = true;
    }

    const Script& script_;
    const ParameterIndex parameters_;
    const StepCallback& step_;
    int position_ = 0;
    InterpreterControl control_;
    std::vector<Chain> chains_;
    bool skipBranch_ = false;
    bool skipToEnd_ = false;
    bool wizardExited_ = false;
    std::string lastProgressText_;
    int lastProgress_ = 0;
};

// A box, or in a silent run one line in the log.
void ReportScriptError(int position, const std::string& message) {
    Failure() = ScriptFailure{position, message};
    if (!Startup().silent) {
        ShowMessageBox(0, LastScriptErrorReport(), kProductCaption, kMbIconError);
        return;
    }
    AppendToEngineLog(EngineText(EngineMessage::ScriptRuntimeError) + " Line " + std::to_string(position) + ": " + message);
}

// Runs on every way out of RunScript; a failure to release is not reported.
void EndRun() {
    CloseTextFileReader();
    try {
        Call(Hooks().releaseDialogs);
    } catch (...) {
    }
    SessionLabels().Clear();
}

}  // namespace

InterpreterHooks& Hooks() {
    static InterpreterHooks hooks;
    return hooks;
}

std::string LastScriptErrorReport() {
    const auto& failure = Failure();
    if (!failure) return {};
    return EngineText(EngineMessage::ScriptRuntimeError) + "\r\r" + "Line " + std::to_string(failure->position) + ": " +
           failure->message;
}
const std::optional<ScriptFailure>& LastScriptFailure() { return Failure(); }

void RunScript(const Script& script, const std::string& msiPath, const StepCallback& step) {
    Failure().reset();
    Interpreter interpreter(script, step);
    try {
        if (StartSession(script, msiPath)) interpreter.Run();
    } catch (const ScriptCheckFailure& failure) {
        ReportScriptError(failure.position, failure.what());
    } catch (const std::exception& error) {
        ReportScriptError(interpreter.position(), error.what());
    } catch (...) {
        ReportScriptError(interpreter.position(), EngineText(EngineMessage::GeneralSetupFailure));
    }
    EndRun();
    // A deployment tool sees the failure in the exit code; a code the script
    // chose itself stays.
    if ((Failure() || interpreter.commandFailed()) && !Startup().exitCodeSetByScript)
        Startup().exitCode = kRunFailedExitCode;
}
