#include "FakePlatform.h"

namespace tf::test {

MessageAnswer FakePlatform::message(const MessageRequest &request, QWidget *)
{
    MessageAnswer answer;
    if (!messageAnswers.isEmpty())
        answer = messageAnswers.dequeue();
    else
        answer = (request.buttons == MessageButtons::YesNo || request.buttons == MessageButtons::YesNoCancel)
                     ? MessageAnswer::Yes
                     : MessageAnswer::Ok;
    messages.append(
        {request.icon, request.title, request.text, request.buttons, answer, waitDepth, request.defaultButton});
    return answer;
}

std::optional<QString> FakePlatform::saveFileName(const FileDialogRequest &request, QWidget *)
{
    saveRequests.append(request);
    return saveAnswers.isEmpty() ? std::nullopt : saveAnswers.dequeue();
}

std::optional<QString> FakePlatform::openFileName(const FileDialogRequest &request, QWidget *)
{
    openRequests.append(request);
    return openAnswers.isEmpty() ? std::nullopt : openAnswers.dequeue();
}

bool FakePlatform::openUrl(const QUrl &url)
{
    urls.append(url);
    return urlOpens;
}

void FakePlatform::previewReport(const ReportPreviewRequest &request, QWidget *)
{
    previewTitles.append(request.title);
    // Asks for every page, as a user paging through the whole preview would.
    QString text;
    for (int i = 0; request.pages && i < request.pages->pageCount(); ++i)
        text += request.pages->pageText(i);
    previewTexts.append(text);
}

bool FakePlatform::printReport(const QString &reportFile, QWidget *parent, const QString &databasePath)
{
    reports.append({reportFile, parent});
    reportDatabases.append(databasePath);
    return reportMaker ? reportMaker(reportFile, parent, databasePath) : true;
}

bool FakePlatform::printImage(const QImage &image, const QRectF &where, QWidget *)
{
    printedImages.append(image);
    printedPlaces.append(where);
    return printResult;
}

bool FakePlatform::showHelp(const QString &helpFile, const QString &page, QWidget *)
{
    helpRequests.append({helpFile, page});
    return true;
}

void FakePlatform::beginWait()
{
    ++waitDepth;
    ++waitShown;
}

void FakePlatform::endWait()
{
    --waitDepth;
}

FakePlatformScope::FakePlatformScope()
{
    auto fake = std::make_unique<FakePlatform>(m_dir.path());
    m_fake = fake.get();
    m_previous = replacePlatform(std::move(fake));
}

FakePlatformScope::~FakePlatformScope()
{
    replacePlatform(std::move(m_previous));
}

} // namespace tf::test
