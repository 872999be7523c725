// The road-image file: its index, then the first, middle and last picture decoded as the
// viewer decodes them.
#include "FuzzInputFile.h"
#include "document/Czipimg.h"

#include <QImage>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FuzzInputFile input("test.IMG");
    static std::vector<std::uint8_t> bytes;
    Czipimg images;
    images.imgPath = input.Write(data, size);
    images.ReadImageIndex(0.0f);
    if (images.count <= 0)
        return 0;
    for (int index : {0, images.count / 2, images.count - 1}) {
        if (images.PictureBytes(index, &bytes)) {
            QImage picture;
            picture.loadFromData(bytes.data(), static_cast<int>(bytes.size()));
        }
    }
    return 0;
}
