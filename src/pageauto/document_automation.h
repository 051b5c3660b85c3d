#pragma once

#include "pageauto/input_element.h"

#include <QPointer>
#include <QString>
#include <QVariant>

#include <optional>

class QWebEngineView;

// Reads and drives the document shown in an embedded browser view. The program holds
// one instance; the login window's watcher and its "提取勾选" button share it.
//
// Every read runs one script in the application world (page scripts cannot tamper with
// the DOM functions it uses) and waits for its answer for at most waitMs on a local
// event loop. A document is only read when it is fully loaded and is still the one that
// was attached: each answer carries the document's address and ready state. Reads that
// find no document give empty text, 0 or false; writes then do nothing.
class DocumentAutomation
{
public:
    explicit DocumentAutomation(int waitMs = 1000);
    virtual ~DocumentAutomation() = default;
    // A copy refers to the same view and document.
    DocumentAutomation(const DocumentAutomation&) = default;
    DocumentAutomation& operator=(const DocumentAutomation&) = default;

    // Binds to the view and takes its current document when it has finished loading.
    // False for no view; otherwise true when a document is held afterwards (an earlier
    // one stays held while the view has none ready).
    virtual bool AttachToBrowserWindow(QWebEngineView* view);
    virtual void ReleaseDocument();
    virtual QString DocumentTitle();
    virtual QString InputBoxValue(const QString& identifier, int skipCount = 0);
    virtual bool SetInputBoxValue(const QString& identifier, const QString& value, int skipCount = 0);
    virtual bool IsCheckBoxChecked(const QString& identifier, int skipCount = 0);
    // With mark, every counted box gets its running number "[复n]" shown beside it.
    virtual int CheckBoxCount(bool mark = false);
    // The position-th check box (found as IsCheckBoxChecked finds the identifier with
    // that number). Each non-null output is written, with empty values when none is found.
    virtual bool CheckBoxInfo(int position, QString* title, QString* name, QString* id, QString* type,
                              InputElement* element);

    bool hasDocument() const { return m_document.has_value(); }
    QWebEngineView* browserView() const;

private:
    struct PageRead
    {
        QString title;
        InputSnapshot elements;
    };

    std::optional<QVariant> runScript(const QString& source) const;
    // The held document's title and elements; nothing when the held document is gone.
    std::optional<PageRead> readDocument(bool withElements) const;
    bool writeValue(const ElementRef& ref, const InputElement& expected, const QString& value) const;

    int m_waitMs;
    QPointer<QWebEngineView> m_view;
    // Address of the document taken by the last attach.
    std::optional<QString> m_document;
};
