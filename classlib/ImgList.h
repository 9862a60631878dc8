// Image lists: equally sized images with a transparency mask, drawn at a point
// as they are or greyed (disabled look).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <vector>

#include "classlib/Component.h"
#include "classlib/Graphics.h"

constexpr const char* SInvalidImageSize = "Invalid image size";
constexpr const char* SImageIndexError = "Invalid ImageList Index";

class TImageList : public TComponent {
    DP_DECLARE_CLASS(TImageList, TComponent)
public:
    explicit TImageList(TComponent* owner);
    ~TImageList() override;

    int32_t Width() const { return m_width; }
    int32_t Height() const { return m_height; }
    // Changing the size empties the list. Raises EInvalidOperation for a size below 1 or above 32768.
    void SetWidth(int32_t v);
    void SetHeight(int32_t v);
    int Count() const { return static_cast<int>(m_images.size()); }
    TColor BkColor() const { return m_bkColor; }
    void SetBkColor(TColor v) {
        m_bkColor = v;
        Changed();
    }
    bool Masked() const { return m_masked; }
    void SetMasked(bool v) {
        m_masked = v;
        Changed();
    }

    // Cuts the bitmap into images of the list's width (a narrower rest is
    // dropped; at least one image when the bitmap is at least as wide); pixels
    // of maskColor are transparent (clDefault: the bitmap's bottom-left pixel).
    // Answers the index of the first image added, -1 when none was.
    int AddMasked(TBitmap* image, TColor maskColor);
    // Pixels set in mask (white in a monochrome mask, or non-black) are transparent; without a mask all are opaque.
    int Add(TBitmap* image, TBitmap* mask);
    void Delete(int index);
    void Clear();
    // Draws image index with its top-left corner at (x, y); disabled images are
    // greyed: the image's shape in the button shadow colour over a highlight copy
    // one pixel down-right. An index out of range draws nothing.
    void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true);
    void Draw(HDC dc, int x, int y, int index, bool enabled = true);
    // Copies image index onto the bitmap (sized to the list), transparent parts in the canvas brush colour.
    bool GetBitmap(int index, TBitmap* image);
    // The image list of the common controls with the same images (made on demand, owned).
    HIMAGELIST Handle();

    TNotifyEvent OnChange;

    // Where a form designer placed the component's icon (stored, unused).

protected:
    void Changed();

private:
    struct Image {
        std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top to bottom
        std::vector<uint8_t> opaque;   // 1 where the image shows
    };
    void ReadPixels(TBitmap* bitmap, std::vector<uint32_t>& out);
    void FreeHandle();

    int32_t m_width = 16;
    int32_t m_height = 16;
    TColor m_bkColor = clNone;
    bool m_masked = true;
    std::vector<Image> m_images;
    HIMAGELIST m_handle = nullptr;
};
