#include "view/SectionsDialog.h"

#include "pipeline/SectionsSettingsFile.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

QString Number(double v) {
    return QString::number(v, 'g', 10);
}

} // namespace

SectionsDialog::SectionsDialog(const std::string& workDirectory, QWidget* parent)
    : QDialog(parent), workDirectory_(workDirectory) {
    setWindowTitle(QStringLiteral("Sections and flags"));
    SectionsSettingsFile file;
    std::string loadError;
    const bool loaded = file.Load(workDirectory_, &loadError);
    const sections::Parameters p = loaded ? file.parameters : sections::Parameters{};
    const sections::SectionParameters& s = p.section;
    const sections::FlagParameters& f = p.flag;
    entries_ = {
        {"min_length", "Shortest section (ft)", nullptr},
        {"alpha", "Significance of a split", nullptr},
        {"k", "Characteristic = mean + k x sd", nullptr},
        {"merge", "Join neighbours whose means differ by less than (0: never)", nullptr},
        {"threshold", "Flag limit (empty: each section's characteristic)", nullptr},
        {"gap", "Join flags closer than (ft)", nullptr},
        {"min_flag", "Shortest flag (results)", nullptr},
    };
    const QString values[] = {Number(s.minLength),
                              Number(s.alpha),
                              Number(s.k),
                              Number(s.merge),
                              f.threshold ? Number(*f.threshold) : QString(),
                              Number(f.gap),
                              QString::number(f.minFlag)};
    auto* form = new QFormLayout;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        entries_[i].edit = new QLineEdit(values[i], this);
        entries_[i].edit->setObjectName(QString::fromLatin1(entries_[i].key));
        form->addRow(QString::fromLatin1(entries_[i].label), entries_[i].edit);
    }
    error_ = new QLabel(this);
    error_->setStyleSheet(QStringLiteral("color: #b00000"));
    error_->setWordWrap(true);
    if (!loaded)
        error_->setText(QString::fromStdString(loadError) +
                        QStringLiteral(" The defaults are shown; OK writes them."));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &SectionsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &SectionsDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(error_);
    layout->addWidget(buttons);
}

QLineEdit* SectionsDialog::Field(const QString& key) const {
    for (const Entry& entry : entries_)
        if (key == QLatin1String(entry.key))
            return entry.edit;
    return nullptr;
}

QString SectionsDialog::Error() const {
    return error_->text();
}

void SectionsDialog::accept() {
    SectionsSettingsFile file;
    std::string error;
    // A file that cannot be read is written anew; its keys this program knows are all set here.
    file.Load(workDirectory_, &error);
    error.clear();
    error_->clear();
    for (const Entry& entry : entries_) {
        if (!file.Set(entry.key, entry.edit->text().trimmed().toStdString(), &error)) {
            error_->setText(QString::fromStdString(error));
            entry.edit->setFocus();
            return;
        }
    }
    if (!file.Save(workDirectory_, &error)) {
        error_->setText(QString::fromStdString(error));
        return;
    }
    QDialog::accept();
}
