// A damped Newton method for a square system of residuals F(x) = 0, with the fallbacks a
// chemical equilibrium needs: substitution passes first, Broyden updates of a
// finite-difference Jacobian after good steps, Armijo backtracking, Levenberg-Marquardt after
// stalled steps, and failed evaluations that reject a step instead of ending the solve.
#pragma once

namespace kelva {

class NewtonSystem {
  public:
    virtual ~NewtonSystem() = default;
    virtual int size() const = 0;
    // The residuals at x into f; false when the evaluation fails (the point is rejected).
    virtual bool evaluate(const double* x, double* f) = 0;
    // Whether a step from `from` to `to` may be tried at all (a failed evaluation otherwise).
    virtual bool admissible(const double* from, const double* to) const = 0;
    // Substitution passes: startPasses before a series, then each pass gives the next point
    // from x and its residuals f.
    virtual void startPasses() = 0;
    virtual void substitute(const double* x, const double* f, double* next) = 0;
    virtual bool converged(const double* x, const double* f) const = 0;
    // Called before every pass and step; false ends the solve (iteration limit, stop request).
    virtual bool tick() = 0;
};

struct NewtonSettings {
    int maxPasses = 40;             // substitution passes before the first Newton step
    int maxSteps = 1000;            // passes and steps in all
    double maxStep = 2.0;           // largest change of one unknown in one step (2 decades for a logarithm)
    bool giveUpWhenStalled = false; // return when the steps stop making progress (the caller has another way)
};

struct NewtonOutcome {
    bool converged = false;
    bool stopped = false; // tick() ended the solve
    bool stalled = false; // the steps stopped making progress
    int passes = 0;       // substitution passes
    int steps = 0;        // Newton and Levenberg-Marquardt steps
    int evaluations = 0;
    int failedEvaluations = 0;
};

// Solves sys from x; on return x is the best point found and the system's last evaluation
// was made at x.
NewtonOutcome newtonMethod(NewtonSystem& sys, double* x, const NewtonSettings& settings = {});

} // namespace kelva
