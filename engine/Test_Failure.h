#pragma once
#include <QString>
#include <stdexcept>

namespace smx::engine {

// A test that cannot go on ("Cannot create file ...", "Unable to write to ..."). The run driver
// reports the text in the general error box and then recovers.
class Test_Failure : public std::runtime_error {
public:
    explicit Test_Failure(const QString& text)
        : std::runtime_error(text.toStdString()), text_(text) {}
    const QString& text() const { return text_; }

private:
    QString text_;
};

} // namespace smx::engine
