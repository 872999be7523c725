#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QLabel;
class QLineEdit;

// The parameters of the sections and flags, as Vorlixsections.ini holds them. OK checks every
// value the way the file's reader does, and saves the file (keys it does not know kept); a bad
// value keeps the dialog open with the message naming its key.
class SectionsDialog : public QDialog {
    Q_OBJECT

public:
    SectionsDialog(const std::string& workDirectory, QWidget* parent = nullptr);

    // The field of a key of the file ("min_length", "threshold", ...), for tests.
    QLineEdit* Field(const QString& key) const;
    QString Error() const;

    void accept() override;

private:
    struct Entry {
        const char* key;
        const char* label;
        QLineEdit* edit;
    };
    std::string workDirectory_;
    std::vector<Entry> entries_;
    QLabel* error_ = nullptr;
};
