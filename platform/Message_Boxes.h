#pragma once
#include <QString>
#include <QStringList>

class QFont;
#include <optional>
#include <vector>

namespace smx::platform {

// Every message box and the text-input box go through here, so tests can answer them.
enum class Box_Kind { Information, Error, Warning_Question, Text_Input };
enum class Box_Answer { Ok, Yes, No, Cancel };

struct Shown_Box {
    Box_Kind kind;
    QString title;
    QString text;
    QString initial = {}; // text input: the text the field was opened with
};

// Information box with an OK button.
void show_information(const QString& title, const QString& text);
// Error box with an OK button.
void show_error(const QString& title, const QString& text);
// The general error report: titled with the application's title, the error text and a full stop.
void show_general_error(const QString& error_text);
// Warning question with Yes and No; Escape answers No. Returns Yes or No.
Box_Answer ask_warning_question(const QString& title, const QString& text,
                                Box_Answer default_button = Box_Answer::Yes);
// Text-input box; the entered text on OK, nothing on Cancel. The field opens holding `initial`,
// all of it selected, and takes at most `max_length` characters when that is above 0.
std::optional<QString> input_text(const QString& title, const QString& prompt,
                                  const QString& initial = {}, int max_length = 0);

// The lines a message box shows `text` in, none wider than `width` pixels in `font`: the text's
// own line breaks stand, a longer line is broken at a blank (dropping the blanks at the break)
// or, where one word is wider than the line, inside the word.
QStringList Wrap_Box_Text(const QString& text, const QFont& font, int width);

// The application's title, used for error boxes: the one set below, or else the program's
// title. Kept here rather than as Qt's application display name, which Qt would append to the
// caption of every window.
QString application_title();
void set_application_title(const QString& title);

// While one exists, boxes are not shown: each is recorded and answered from the queue.
// An empty queue answers OK boxes with OK, questions with No and text input with Cancel,
// and counts the question as unanswered so a test can tell.
class Scripted_Responder {
public:
    Scripted_Responder();
    ~Scripted_Responder();
    Scripted_Responder(const Scripted_Responder&) = delete;
    Scripted_Responder& operator=(const Scripted_Responder&) = delete;

    void queue(Box_Answer answer, const QString& text = {});
    const std::vector<Shown_Box>& shown() const { return shown_; }
    int unanswered() const { return unanswered_; }
    void clear() { shown_.clear(); }

    // Used by the box functions. A text answer longer than the field takes is cut as the field
    // would cut it.
    static Scripted_Responder* active();
    struct Reply {
        Box_Answer answer;
        QString text;
    };
    Reply answer(Box_Kind kind, const QString& title, const QString& text,
                 const QString& initial = {});

private:
    std::vector<Reply> queue_;
    std::vector<Shown_Box> shown_;
    int unanswered_ = 0;
    Scripted_Responder* previous_ = nullptr;
};

} // namespace smx::platform
