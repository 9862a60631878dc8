// Icons, metafiles, and the picture that holds a graphic of any class and loads files by extension.
#pragma once

#include "classlib/Bitmaps.h"

// ---------------------------------------------------------------------------
// Icons and metafiles

// An icon from an .ico file or a handle.
class TIcon : public TGraphic {
    DP_DECLARE_CLASS(TIcon, TGraphic)
public:
    TIcon();
    ~TIcon() override;
    TGraphic* CreateNew() const override { return new TIcon(); }

    bool Empty() const override { return m_handle == nullptr; }
    int32_t Width() const override { return m_width; }
    int32_t Height() const override { return m_height; }
    // Icons have the size of their image; raise EInvalidGraphicOperation.
    void SetWidth(int32_t) override;
    void SetHeight(int32_t) override;
    // Icons are always drawn with their mask.
    bool Transparent() const override { return true; }
    void SetTransparent(bool) override {}

    HICON Handle() const { return m_handle; }
    // Takes ownership of the icon.
    void SetHandle(HICON icon);
    HICON ReleaseHandle();

    // The first image of an .ico file (the one closest to 32 x 32 when there are several).
    void LoadFromStream(TStream& stream) override;
    // The file bytes read last, else the icon rebuilt as a 32-bit .ico.
    void SaveToStream(TStream& stream) override;
    void Assign(TPersistent* source) override;

protected:
    void Draw(TCanvas* canvas, const TRect& r) override;

private:
    void FreeHandle();
    HICON m_handle = nullptr;
    int32_t m_width = 0;
    int32_t m_height = 0;
    std::string m_data;  // the .ico bytes it was read from
};

// An enhanced metafile; .wmf files (placeable or plain) are converted on load.
class TMetafile : public TGraphic {
    DP_DECLARE_CLASS(TMetafile, TGraphic)
public:
    TMetafile();
    ~TMetafile() override;
    TGraphic* CreateNew() const override { return new TMetafile(); }

    bool Empty() const override { return m_handle == nullptr; }
    // Pixels at the screen's resolution.
    int32_t Width() const override { return m_width; }
    int32_t Height() const override { return m_height; }
    void SetWidth(int32_t width) override;
    void SetHeight(int32_t height) override;
    // True: saved as .emf; false: saved as a placeable .wmf.
    bool Enhanced() const { return m_enhanced; }
    void SetEnhanced(bool value) { m_enhanced = value; }

    HENHMETAFILE Handle() const { return m_handle; }
    // Takes ownership of the metafile.
    void SetHandle(HENHMETAFILE metafile);

    void LoadFromStream(TStream& stream) override;
    void SaveToStream(TStream& stream) override;
    void Assign(TPersistent* source) override;

protected:
    void Draw(TCanvas* canvas, const TRect& r) override;

private:
    void FreeHandle();
    void SizeFromHeader();
    HENHMETAFILE m_handle = nullptr;
    int32_t m_width = 0;
    int32_t m_height = 0;
    bool m_enhanced = true;
};

// Records drawing into a new enhanced metafile, which it hands to the
// metafile when freed.
class TMetafileCanvas : public TCanvas {
    DP_DECLARE_CLASS(TMetafileCanvas, TCanvas)
public:
    TMetafileCanvas(TMetafile* metafile, HDC reference);
    ~TMetafileCanvas() override;

private:
    TMetafile* m_metafile;
    HDC m_recordDC = nullptr;
};

// Holds one graphic of any class; loads files by their extension.
class TPicture : public TPersistent {
    DP_DECLARE_CLASS(TPicture, TPersistent)
public:
    TPicture();
    ~TPicture() override;

    TGraphic* Graphic() const { return m_graphic.get(); }
    // A copy of the graphic (nullptr clears the picture).
    void SetGraphic(TGraphic* graphic);
    // These replace a graphic of another class by an empty one of theirs.
    TBitmap* Bitmap();
    void SetBitmap(TBitmap* bitmap) { SetGraphic(bitmap); }
    TIcon* Icon();
    void SetIcon(TIcon* icon) { SetGraphic(icon); }
    TMetafile* Metafile();
    void SetMetafile(TMetafile* metafile) { SetGraphic(metafile); }
    int32_t Width() const { return m_graphic ? m_graphic->Width() : 0; }
    int32_t Height() const { return m_graphic ? m_graphic->Height() : 0; }

    // By extension: .bmp, .jpg/.jpeg, .ico, .emf/.wmf. An unknown extension
    // raises EInvalidGraphic; a file that cannot be read leaves the picture as it was.
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);
    void Assign(TPersistent* source) override;

    // Registered file formats, for open-dialog filters.
    struct FileFormat {
        std::string Extension;  // "jpg", no dot
        std::string Description;
        TGraphicFactory Create;
        const TClassInfo* Class;
    };
    static std::vector<FileFormat>& FileFormats();
    static void RegisterFileFormat(const std::string& extension, const std::string& description, TGraphicFactory create,
                                   const TClassInfo* cls);

    TNotifyEvent OnChange;

protected:
    // "Data": the graphic's class name (a length byte and the name) and its ReadData bytes.
    void DefineProperties(TFiler& filer) override;
    void AssignTo(TPersistent* dest) const override;

private:
    void Changed(TObject*);
    void Adopt(TGraphic* graphic);
    void ReadData(TStream& stream);
    void WriteData(TStream& stream);

    std::unique_ptr<TGraphic> m_graphic;
};

// "All (*.jpg;...)|*.jpg;...|JPEG Image File (*.jpg)|*.jpg|..." for the given
// class and its descendants (nullptr: every registered format).
std::string GraphicFilter(const TClassInfo* graphicClass = nullptr);
std::string GraphicExtension(const TClassInfo* graphicClass);
