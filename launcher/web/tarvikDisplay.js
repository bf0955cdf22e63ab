// tarvikDisplay.js -- loaded by the browser mode's page beside Debian's noVNC 1.3: JPEG
// rectangles decoded by createImageBitmap.
//
// noVNC turns every JPEG rectangle into base64 text, makes an <img> of a data: address and
// waits for it to load: the bytes grow by a third into a string, and the browser parses the
// string back into bytes before it decodes them. A Blob of the bytes goes to the decoder as it
// is, and createImageBitmap decodes it off the page's thread. The render queue still draws in
// order: it waits for the "load" that each rectangle dispatches once decoded.
import Display from "./core/display.js";
import * as Log from "./core/util/logging.js";

class Decoded extends EventTarget {
    constructor(mime, bytes) {
        super();
        this.complete = false;
        // The Blob copies the bytes now: noVNC reuses its receive buffer for the next message.
        createImageBitmap(new Blob([bytes], { type: mime })).then(
            (bitmap) => {
                this.bitmap = bitmap;
                this.width = bitmap.width;
                this.height = bitmap.height;
                this.complete = true;
                this.dispatchEvent(new Event("load"));
            },
            (error) => Log.Error("A JPEG rectangle did not decode: " + error)
        );
    }
}

Display.prototype.imageRect = function (x, y, width, height, mime, arr) {
    if (width === 0 || height === 0) {
        return; // the render queue cannot wait for an empty picture
    }
    this._renderQPush({ type: "img", img: new Decoded(mime, arr), x, y, width, height });
};

const drawImage = Display.prototype.drawImage;
Display.prototype.drawImage = function (img, x, y) {
    if (!(img instanceof Decoded)) {
        drawImage.call(this, img, x, y);
        return;
    }
    this._drawCtx.drawImage(img.bitmap, x, y);
    this._damage(x, y, img.width, img.height);
    img.bitmap.close();
};
