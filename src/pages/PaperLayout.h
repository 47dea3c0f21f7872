// The orientation, the margins a turn exchanges and the form lines: the Printing and PCL pages both
// show them and either may change them. The sheet owns one and hands it to both; a page changes
// them here and redraws when it is told, so neither page knows the other.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <optional>

#include "pages/PaperModel.h"

namespace tav {

class PaperLayout {
  public:
    explicit PaperLayout(AppContext& ctx) : m_ctx(ctx) {}
    PaperLayout(const PaperLayout&) = delete;
    PaperLayout& operator=(const PaperLayout&) = delete;

    enum class Change {
        Turned,    // the orientation turned and the margins were exchanged
        FormLines, // FORMLINES was worked out again
    };
    using Listener = std::function<void(Change)>;
    // A page listens while it lives: Forget takes the id Listen gave.
    int Listen(Listener listener);
    void Forget(int id);

    // The paper a page shows (the Printing page's list position and source kind), asked at each use;
    // while there is none, the store alone says which paper it is. An empty source ends it.
    using PaperSource = std::function<std::optional<PaperPageState>()>;
    void SetPaperSource(PaperSource source) { m_paper = std::move(source); }

    // The stored orientation as the pages show it: 1 landscape, anything else portrait.
    int Orientation() const;
    // A turn chosen on a page: stored; when it turns, the form lines of the new orientation are
    // worked out and the top and left margins exchanged, and every listener is told.
    void Turn(int orientation);
    // FORMLINES for the paper shown and the orientation: stored, and every listener told.
    int RecomputeFormLines();
    // CustomPaperChanged for the paper a page shows; nothing while no page shows one.
    void MarkCustomPaper();

  private:
    PaperPageState Paper() const;
    void Tell(Change change);

    AppContext& m_ctx;
    PaperSource m_paper;
    std::map<int, Listener> m_listeners;
    int m_nextId = 0;
};

// A page's hold on a layout: the sheet's, or one of its own for a page that stands alone. It
// listens while it lives.
class PaperLayoutView {
  public:
    PaperLayoutView(AppContext& ctx, PaperLayout* shared, PaperLayout::Listener listener);
    ~PaperLayoutView();
    PaperLayoutView(const PaperLayoutView&) = delete;
    PaperLayoutView& operator=(const PaperLayoutView&) = delete;
    PaperLayout* operator->() const { return &m_layout; }

  private:
    std::unique_ptr<PaperLayout> m_own;
    PaperLayout& m_layout;
    int m_id;
};

} // namespace tav
