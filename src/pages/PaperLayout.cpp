#include "pages/PaperLayout.h"

#include <utility>
#include <vector>

namespace tav {

int PaperLayout::Listen(Listener listener) {
    m_listeners.emplace(m_nextId, std::move(listener));
    return m_nextId++;
}

void PaperLayout::Forget(int id) {
    m_listeners.erase(id);
}

int PaperLayout::Orientation() const {
    return m_ctx.store.edited.orientation == 1 ? 1 : 0;
}

PaperPageState PaperLayout::Paper() const {
    std::optional<PaperPageState> shown = m_paper ? m_paper() : std::nullopt;
    PaperPageState state;
    if (shown)
        state = *shown;
    else
        SyncPaperSize(m_ctx, state, false);
    state.orientation = Orientation();
    return state;
}

void PaperLayout::Tell(Change change) {
    // A listener may forget itself or another while being told.
    std::vector<int> ids;
    for (const auto& [id, listener] : m_listeners)
        ids.push_back(id);
    for (int id : ids)
        if (auto it = m_listeners.find(id); it != m_listeners.end()) it->second(change);
}

void PaperLayout::Turn(int orientation) {
    PrinterSettings& ed = m_ctx.store.edited;
    const int before = Orientation();
    ed.orientation = static_cast<uint8_t>(orientation == 1 ? 1 : 0);
    if (Orientation() == before) return;
    UpdateFormLines(m_ctx, Paper());
    std::swap(ed.topMargin, ed.leftMargin);
    Tell(Change::Turned);
    Tell(Change::FormLines);
}

int PaperLayout::RecomputeFormLines() {
    const int lines = UpdateFormLines(m_ctx, Paper());
    Tell(Change::FormLines);
    return lines;
}

void PaperLayout::MarkCustomPaper() {
    if (std::optional<PaperPageState> shown = m_paper ? m_paper() : std::nullopt)
        IsCustomPaper(m_ctx, shown->listPosition);
}

PaperLayoutView::PaperLayoutView(AppContext& ctx, PaperLayout* shared, PaperLayout::Listener listener)
    : m_own(shared ? nullptr : std::make_unique<PaperLayout>(ctx)), m_layout(shared ? *shared : *m_own),
      m_id(m_layout.Listen(std::move(listener))) {}

PaperLayoutView::~PaperLayoutView() {
    m_layout.Forget(m_id);
}

} // namespace tav
