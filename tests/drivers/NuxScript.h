// The test driver's way into the running panel: given a script file, nux-driven answers its
// boxes by itself and, once shown, works through the file line by line, through the same
// mouse handling a user's hand would go through:
//
//   click <id>     press and release the button <id> inside it (a key press, or Exit with 1)
//   press <id>     press the mouse on <id> and keep it down
//   release <id>   release the mouse over <id>
//   hover <id>     move the mouse onto <id>
//   leave <id>     move the mouse off <id>
//   grab <file>    write a PNG of the whole dialog
//   print          write "line1=<text>" and "line2=<text>" to standard output
//   wait-for <file>
//                  go on only once <file> exists (a test's cue, e.g. after it stopped the printer)
//   answer yes|no|ok|cancel
//                  the answer for a box; answers are queued when the file is read and
//                  taken in order by the boxes as they come up, wherever the lines stand
//   # ...          a comment
//
// Every box shown is reported on standard output as "box <caption>: <text>". When the file
// ends the program keeps running; "click 1" ends it the way a user does.
#pragma once
#include <QString>
#include <QStringList>

namespace nux {

class NuxDialog;

class NuxScript {
  public:
    // False (with `error` set) when the file cannot be read or a line is not understood.
    bool Load(const QString& path, QString& error);
    // Queues the answers; from now on every box the program shows answers by itself.
    void PrepareBoxes() const;
    // Runs the steps one event-loop turn apart, so each one sees the window painted.
    void Start(NuxDialog& dialog) const;

  private:
    QStringList m_steps;
    QStringList m_answers;
};

} // namespace nux
