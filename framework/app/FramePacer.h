// The main loop's pacer: where a pass of the loop stands and how much time is owed to updates.
// The application drives it (it runs the updates, draws and sleeps); the pacer keeps the account
// and answers when an update is due and how long to sleep.
#pragma once

namespace Olvarn
{

class FramePacer
{
public:
    // What the next pass of the loop does.
    enum class Phase {
        Messages = 0, // hand one queued message to the widgets, or go on to the update when none waits
        Update = 1,   // run an update when one is due
        Fraction = 2, // run the updates refresh pacing still owes, then the fraction of the frame
        Draw = 3,     // draw what waits to be drawn, or sleep until the next update is due
    };

    // Adds the milliseconds since the last call to the account, up to a bound: a stall is caught
    // up by a limited burst of updates, not all at once.
    void AccountTime(int now);
    // Time that passed (a pause, a message box) is not owed: the account starts again at now, or
    // at the next AccountTime when now is not known.
    void ForgetTime(int now);
    void ForgetTime();

    // The length of one update step in milliseconds, and how many fixed steps one refresh-paced
    // step stands for (1 without refresh pacing).
    static double StepLength(bool refreshPaced, int refreshRate, int frameTime, double multiplier);
    static double StepsPerRefresh(bool refreshPaced, int refreshRate, int frameTime);

    // Counts the update about to run; true when that is more than the multiplier allows in a row
    // (10 at normal speed) and a draw must come first.
    bool CountUpdateAndCheckLimit(double multiplier, bool loaded);
    // Whether the account holds a whole step. Paced by the vertical blank, three quarters of a step
    // do, and without a pending draw an update is always due.
    bool UpdateDue(double step, bool vsyncPacing) const;
    // Takes the step of the update just finished out of the account.
    void PayStep(double step, bool vsyncPacing);
    // Milliseconds to sleep until the next update is due (0 when it is due now).
    int MsUntilNextUpdate(double step) const;

    static constexpr int kMaxTimeDebtMs = 200;

    Phase mPhase = Phase::Messages;
    // Milliseconds owed to updates.
    double mTimeAcc = 0;
    // Whole fixed steps owed beyond the first by refresh pacing.
    double mPendingUpdatesAcc = 0;
    int mUpdatesSinceDraw = 0;
    bool mHasPendingDraw = true;
    int mLastTimeCheck = 0;
    bool mHaveLastTimeCheck = false;
};

} // namespace Olvarn
