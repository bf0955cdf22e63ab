// tarvikDisplay.js -- loaded by the browser mode's page beside Debian's noVNC 1.3: JPEG
// rectangles decoded by the browser's ImageDecoder, where it has one.
//
// noVNC turns every JPEG rectangle into base64 text and an <img> of a data: address and waits
// for it to load: the bytes grow by a third into a string that the browser parses back into
// bytes before it decodes them. ImageDecoder takes the bytes as they are. (createImageBitmap
// of a Blob was slower than both in headless Chromium: the Blob makes a round trip through the
// browser process first.) The render queue still draws in order: it waits for the "load" that
// each rectangle dispatches once decoded.
import Display from "./core/display.js";
import * as Log from "./core/util/logging.js";

class Decoded extends EventTarget {
    constructor(mime, bytes) {
        super();
        this.complete = false;
        // A copy: noVNC reuses its receive buffer for the next message.
        const decoder = new ImageDecoder({ data: bytes.slice(), type: mime });
        decoder.decode().then(
            ({ image }) => {
                decoder.close();
                this.frame = image;
                this.width = image.displayWidth;
                this.height = image.displayHeight;
                this.complete = true;
                this.dispatchEvent(new Event("load"));
            },
            (error) => Log.Error("A JPEG rectangle did not decode: " + error)
        );
    }
}

if (typeof ImageDecoder !== "undefined") {
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
        this._drawCtx.drawImage(img.frame, x, y);
        this._damage(x, y, img.width, img.height);
        img.frame.close();
    };
}
