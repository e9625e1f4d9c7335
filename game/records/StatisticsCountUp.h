// The count-ups of the end-of-level windows, in whole numbers: remaining pearls turned into score on
// the last level, and the bonus level's time left turned into score. Each advances one update (10 ms)
// at a time and always finishes, whatever speed the constants give.
#pragma once

namespace tilvan
{

// Pearls converted at "pearl_speed" per second: per update the speed is added to a count of
// hundredths, and each whole hundred converts one pearl.
class CPearlCountUp
{
public:
    // A speed below 1 would never finish: it counts as 1 pearl a second.
    CPearlCountUp(int pearls, int pearlsPerSecond);
    // Pearls converted in this update (0 once done).
    int Update();
    bool IsDone() const { return mPearls <= 0; }
    int PearlsLeft() const { return mPearls; }

private:
    int mPearls;
    int mSpeed;
    int mHundredths = 0;
};

// Time left converted at "time_speed" milliseconds per second into score at "time_to_score_k"
// points per millisecond, with a tick every 4000 ms converted.
class CTimeCountDown
{
public:
    // Negative time left counts as 0 (done at once); a speed below 100 still converts 1 ms per update.
    CTimeCountDown(int timeLeftMs, int msPerSecond, double pointsPerMs);
    struct Step {
        int points = 0;
        bool tick = false;
    };
    Step Update();
    bool IsDone() const { return mTimeLeft <= 0; }
    int TimeLeft() const { return mTimeLeft; }

private:
    int mTimeLeft;
    int mStep;
    double mPointsPerMs;
    int mTickMs = 0;
};

} // namespace tilvan
