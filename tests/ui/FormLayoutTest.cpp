// FormLayoutTest.cpp - every control of the window at its place, with its text and look.
#include "FormFixture.h"
#include "ui/qt/Artwork.h"

#include <QPushButton>
#include <QScreen>

namespace vexo::ui::test {
namespace {

struct ControlCase {
    const char* name;
    const char* parent;
    QRect geometry;
    const char* text; // UTF-8; nullptr: not checked
};

class LayoutTest : public FormTest, public ::testing::WithParamInterface<ControlCase> {};

QString TextOf(QWidget* w) {
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* b = qobject_cast<QPushButton*>(w)) return b->text();
    if (auto* e = qobject_cast<QLineEdit*>(w)) return e->text();
    return {};
}

TEST_P(LayoutTest, DesignPositionSizeAndText) {
    const ControlCase& c = GetParam();
    Form(); // before the start-up: the design texts
    QWidget* w = Child(c.name);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->parentWidget()->objectName(), QString::fromLatin1(c.parent)) << c.name;
    if (c.geometry.width() > 0)
        EXPECT_EQ(w->geometry(), c.geometry) << c.name;
    else
        EXPECT_EQ(w->pos(), c.geometry.topLeft()) << c.name;
    if (c.text) {
        EXPECT_EQ(TextOf(w), QString::fromUtf8(c.text)) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Controls, LayoutTest,
    ::testing::Values(
        ControlCase{"PanelInterior", "PanelExterior", QRect(1, 1, 551, 399), nullptr},
        ControlCase{"ImageFondo", "PanelInterior", QRect(1, 1, 549, 397), nullptr},
        ControlCase{"LabelFecha", "PanelInterior", QRect(200, 65, 340, 20),
                    "31 de Diciembre de 2000"},
        ControlCase{"LabelVersion", "PanelInterior", QRect(200, 85, 340, 20), " Versión 10.00"},
        ControlCase{"LabelPrograma", "PanelInterior", QRect(10, 368, 225, 25), nullptr},
        ControlCase{"LabelTelefono", "PanelInterior", QRect(5, 309, 185, 13), nullptr},
        ControlCase{"LabelFax", "PanelInterior", QRect(5, 322, 185, 13), nullptr},
        ControlCase{"LabelCorreo", "PanelInterior", QRect(5, 335, 185, 13), nullptr},
        ControlCase{"LabelWeb", "PanelInterior", QRect(5, 348, 185, 13), nullptr},
        ControlCase{"PanelFrame", "PanelInterior", QRect(200, 114, 340, 245), nullptr},
        ControlCase{"bInstalar", "PanelInterior", QRect(375, 369, 75, 25), "Instalar"},
        ControlCase{"bCancelar", "PanelInterior", QRect(464, 369, 75, 25), "Salir"},
        ControlCase{"TFFramePrograma", "PanelFrame", QRect(0, 0, 340, 245), nullptr},
        ControlCase{"TFFrameInstalar", "PanelFrame", QRect(0, 0, 340, 245), nullptr},
        ControlCase{"gbEditPrograma", "TFFramePrograma", QRect(10, 90, 320, 49), nullptr},
        ControlCase{"lbEditPrograma", "gbEditPrograma", QRect(8, 0, 0, 0),
                    " Introduzca Nombre Directorio "},
        ControlCase{"eDirPrograma", "gbEditPrograma", QRect(12, 17, 271, 21), "C:\\VEXO\\DALVO"},
        ControlCase{"gbInstalar1", "TFFrameInstalar", QRect(10, 40, 320, 49), nullptr},
        ControlCase{"lbDirInstalar", "gbInstalar1", QRect(8, 0, 0, 0),
                    " Introduzca Nombre Directorio "},
        ControlCase{"eDirInstalar", "gbInstalar1", QRect(12, 17, 271, 21), "C:\\VEXO\\DALVO"},
        ControlCase{"gbInstalar2", "TFFrameInstalar", QRect(10, 105, 320, 107), nullptr},
        ControlCase{"lbInstalando", "gbInstalar2", QRect(8, 0, 0, 0), " INSTALANDO PROGRAMA "},
        ControlCase{"stDe", "gbInstalar2", QRect(11, 23, 300, 13), "Extrayendo de:"},
        ControlCase{"stCopiar", "gbInstalar2", QRect(22, 41, 61, 17), "Copiando a:"},
        ControlCase{"stText", "gbInstalar2", QRect(85, 42, 219, 17), ""},
        ControlCase{"pbProgreso", "gbInstalar2", QRect(16, 64, 289, 16), nullptr}));

TEST_F(FormTest, WindowIsFramelessCentredAndTransparentAtFirst) {
    InstallerForm& f = Form();
    EXPECT_TRUE(f.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(f.size(), QSize(553, 401));
    EXPECT_EQ(f.windowTitle(), QString::fromUtf8(" Instalación Contabilidad Vexo Windows"));
    EXPECT_EQ(f.font().family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(f.font().pixelSize(), 11);
    EXPECT_EQ(f.Opacity(), 0);
    EXPECT_DOUBLE_EQ(f.windowOpacity(), 0.0);
    EXPECT_FALSE(f.FadeTimer()->isActive());
    EXPECT_EQ(f.FadeTimer()->interval(), 80);
    QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_LE(std::abs(f.geometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(f.geometry().center().y() - screen.center().y()), 1);
}

TEST_F(FormTest, ButtonsBrowseGlyphAndProgressRange) {
    Form();
    EXPECT_TRUE(Child<QPushButton>("bInstalar")->isDefault());
    EXPECT_FALSE(Child<QPushButton>("bCancelar")->isDefault());
    auto* progress = Child<QProgressBar>("pbProgreso");
    EXPECT_EQ(progress->minimum(), 0);
    EXPECT_EQ(progress->maximum(), 100);
    auto dirs = form_->findChildren<QPushButton*>("bDir");
    ASSERT_EQ(dirs.size(), 2);
    for (QPushButton* b : dirs) {
        EXPECT_EQ(b->geometry(), QRect(288, 16, 23, 24));
        EXPECT_EQ(b->iconSize(), QSize(16, 16));
        EXPECT_FALSE(b->icon().isNull());
    }
    EXPECT_FALSE(Child("eDirInstalar")->isEnabled());
    EXPECT_FALSE(BrowseGlyph().isNull());
    EXPECT_EQ(BrowseGlyph().size(), QSize(16, 16));
}

TEST_F(FormTest, LabelsLookAsDesigned) {
    Form();
    auto* fecha = Child<QLabel>("LabelFecha");
    EXPECT_EQ(fecha->alignment(), Qt::AlignHCenter | Qt::AlignVCenter);
    EXPECT_TRUE(fecha->styleSheet().contains("color: white"));
    EXPECT_TRUE(fecha->styleSheet().contains("bold"));
    EXPECT_TRUE(Child<QLabel>("LabelPrograma")->styleSheet().contains("silver"));
    EXPECT_EQ(Child<QLabel>("LabelPrograma")->alignment(), Qt::AlignLeft | Qt::AlignVCenter);
    EXPECT_TRUE(fecha->testAttribute(Qt::WA_TranslucentBackground));
    // The contact lines are filled in.
    for (const char* name : {"LabelTelefono", "LabelFax", "LabelCorreo", "LabelWeb"})
        EXPECT_FALSE(Child<QLabel>(name)->text().isEmpty()) << name;
}

TEST_F(FormTest, BackgroundIsOurJpegDrawnUnscaled) {
    const QImage& image = BackgroundImage();
    EXPECT_EQ(image.size(), QSize(554, 401));
    // Dark where the white labels sit.
    for (QPoint p : {QPoint(370, 75), QPoint(100, 330)})
        EXPECT_LT(qGray(image.pixel(p)), 110) << p.x() << "," << p.y();
    InstallerForm& f = Form();
    f.show();
    QImage shot = f.grab().toImage();
    QPoint inImage(400, 30); // no control covers it: window = 2 px of panels + image
    EXPECT_EQ(shot.pixelColor(inImage + QPoint(2, 2)).rgb() & 0xF0F0F0,
              image.pixelColor(inImage).rgb() & 0xF0F0F0);
}

} // namespace
} // namespace vexo::ui::test
