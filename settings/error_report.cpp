#include "settings/error_report.h"
#include <fstream>
#include "engine/event_log.h"
#include "engine/gtools.h"
#include "framework/guard.h"
#include "settings/about.h"
#include "settings/feedback.h"
#include "toolkit/form_pictures.h"

namespace settings {
namespace {

using K = framework::Kind;

constexpr int kClientWidth = 420, kClientHeight = 272;
constexpr int kBandHeight = 26;
constexpr RECT kPicture{12, 40, 76, 104};
constexpr COLORREF kBackground = RGB(0xF4, 0xF7, 0xFA);
constexpr COLORREF kBandColor = RGB(0x2A, 0x4E, 0x7A);
constexpr COLORREF kBandText = RGB(0xFF, 0xFF, 0xFF);

constexpr framework::ControlSpec kLayout[] = {
    {K::Label, "lbText", nullptr, 88, 38, 320, 60, error_texts::kExplanation.data(), 0},
    {K::Label, "lbComment", nullptr, 88, 104, 320, 16, error_texts::kCommentLabel.data(), 0},
    {K::MemoEdit, "mComment", nullptr, 88, 122, 320, 94, "", 0},
    {K::Custom, "RotButton1", nullptr, 12, 232, 166, 28, error_texts::kPrivacy.data(), 0},
    {K::Custom, "btnOK", nullptr, 190, 232, 110, 28, error_texts::kSend.data(), 0},
    {K::Custom, "btnCancel", nullptr, 308, 232, 100, 28, error_texts::kDelete.data(), 0},
};

}  // namespace

std::string ErrorLogFile() {
    const std::string folder = engine::GetDataFolder();
    const std::string path = engine::ErrorLogPath();
    return IsDataFolderFile(path, folder, engine::kErrorLogName) ? path : std::string();
}

std::string ReadErrorLog(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text(kErrorLogReadLimit, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    return text;
}

TfrmError::TfrmError() : Form("frmError") {}

TfrmError::~TfrmError() = default;

void TfrmError::CreateControls() {
    SetCaption(error_texts::kCaption);
    SetColor(kBackground);
    SetClientSize(kClientWidth, kClientHeight);
    ApplyLayout(kLayout);
    for (auto* b : {&btnOK, &btnCancel, &RotButton1}) b->UseDialogLook();
    btnOK.OnClick = [this] { btnOKClick(); };
    btnCancel.OnClick = [this] { btnCancelClick(); };
    RotButton1.OnClick = [this] { RotButton1Click(); };
    LOGFONTA lf{};
    ::GetObjectA(::GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
    lf.lfWeight = FW_BOLD;
    boldFont_.reset(::CreateFontIndirectA(&lf));
    // The report works without its picture.
    framework::Guard([this] { picture_ = toolkit::LoadFormPicture(toolkit::pictures::kErrorReport); });
    CenterOnScreen();
}

void TfrmError::Paint(HDC dc, const RECT& client) {
    framework::Brush band(::CreateSolidBrush(kBandColor));
    RECT top{client.left, client.top, client.right, client.top + kBandHeight};
    ::FillRect(dc, &top, band.get());
    framework::SelectScope font(dc, boldFont_ ? boldFont_.get() : ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, kBandText);
    RECT text{top.left + 12, top.top, top.right - 12, top.bottom};
    ::DrawTextA(dc, error_texts::kCaption.data(), static_cast<int>(error_texts::kCaption.size()), &text,
                DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (picture_) picture_->Draw(dc, kPicture);
}

void TfrmError::ShowIfErrorLog() {
    const std::string path = ErrorLogFile();
    if (path.empty() || !engine::FileExists(path)) return;
    CenterOnScreen();
    Show();
    BringToFront();
}

void TfrmError::btnOKClick() {
    const std::string path = ErrorLogFile();
    const std::string tag = engine::WindowsVersionTag();
    const std::string report = ErrorReportText(tag, path.empty() ? std::string() : ReadErrorLog(path), mComment.Text());
    ShellOpen(ErrorReportAddress(tag, report));
    DeleteErrorLog();
    Close();
}

void TfrmError::btnCancelClick() {
    DeleteErrorLog();
    Close();
}

void TfrmError::RotButton1Click() {
    SetStayOnTop(false);
    OpenTextBeside(kPrivacyFile);
}

void TfrmError::DeleteErrorLog() {
    const std::string path = ErrorLogFile();
    if (!path.empty() && engine::FileExists(path)) ::DeleteFileA(path.c_str());
}

}  // namespace settings
