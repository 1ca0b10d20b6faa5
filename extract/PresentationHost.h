#pragma once

#include <string>

namespace orv {

// The operations the harvest needs from a presentation application. Indices
// are 1-based. Every operation reports trouble by throwing orv::Failure with a
// plain description. Create starts (or finds) the application; Attach reaches
// the running one and fails when none runs; Quit ends it.
class PresentationHost {
public:
    virtual ~PresentationHost() = default;

    virtual void Create() = 0;
    virtual void Attach() = 0;
    virtual void Show() = 0;
    virtual void Open(const std::string& path) = 0;
    virtual int SlideCount() = 0;
    virtual int ShapeCount(int slide) = 0;
    virtual bool HasTextFrame(int slide, int shape) = 0;
    virtual std::string Text(int slide, int shape) = 0;
    virtual void Quit() = 0;
    virtual std::string Name() = 0;
    // Drops the references Create and Attach gave, without quitting.
    virtual void Release() = 0;
    // Asks for every text of each slide opened from now on: each slide then
    // answers with one text-bearing shape per text, in harvest order (groups,
    // tables, diagrams, notes, comments, links). A host that cannot do so
    // ignores it.
    virtual void SetAllText(bool /*allText*/) {}
};

} // namespace orv
