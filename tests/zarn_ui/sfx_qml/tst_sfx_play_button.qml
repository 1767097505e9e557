import QtQuick
import QtTest
import com.lanternhillstudios.zarn_ui

Item {
    id: stage
    width: 200
    height: 200

    Component {
        id: buttonComponent
        SfxPlayButton {
            width: 24
            height: 24
        }
    }

    TestCase {
        name: "SfxPlayButton"
        when: windowShown

        function makeButton(props) {
            const button = createTemporaryObject(buttonComponent, stage, props || {});
            verify(button);
            waitForRendering(button);
            return button;
        }

        function isGreen(c) {
            return c.g > 0.4 && c.r < 0.1 && c.b < 0.1;
        }
        function isRed(c) {
            return c.r > 0.9 && c.g < 0.1 && c.b < 0.1;
        }
        // Waits until the picture shows the wanted symbol: the canvas paints on a later frame.
        function waitForSymbol(button, stop) {
            let image = null;
            tryVerify(() => {
                image = grabImage(button);
                return stop ? isRed(image.pixel(12, 12)) : isGreen(image.pixel(8, 12));
            }, 3000);
            return image;
        }

        function test_handle_click_only_when_the_button_manages_its_state_data() {
            return [
                { tag: "managed", manages: true, first: true, second: true },
                { tag: "driven by its user", manages: false, first: false, second: false }
            ];
        }
        function test_handle_click_only_when_the_button_manages_its_state(data) {
            const button = makeButton({ buttonManagesState: data.manages });
            button.handleClick(true);
            compare(button.playing, data.first);
            // Sets, never toggles.
            button.handleClick(true);
            compare(button.playing, data.second);
            button.handleClick(false);
            verify(!button.playing);
        }

        function test_play_triangle_pixels() {
            const button = makeButton({});
            const image = waitForSymbol(button, false);
            // Inside the triangle (6,6), (6,18), (18,12), near each corner.
            verify(isGreen(image.pixel(7, 8)));
            verify(isGreen(image.pixel(7, 16)));
            verify(isGreen(image.pixel(15, 12)));
            // Outside it: above the slanted edges, left of the base and beyond the tip.
            verify(!isGreen(image.pixel(16, 7)));
            verify(!isGreen(image.pixel(16, 17)));
            verify(!isGreen(image.pixel(4, 12)));
            verify(!isGreen(image.pixel(20, 12)));
        }

        function test_stop_square_pixels_replace_the_triangle() {
            const button = makeButton({ buttonManagesState: true });
            waitForSymbol(button, false);
            button.handleClick(true);
            const image = waitForSymbol(button, true);
            for (const p of [[6, 6], [17, 6], [6, 17], [17, 17], [12, 12]])
                verify(isRed(image.pixel(p[0], p[1])), "inside at " + p);
            for (const p of [[5, 5], [18, 12], [12, 18], [4, 12]]) {
                const c = image.pixel(p[0], p[1]);
                verify(!isRed(c) && !isGreen(c), "outside at " + p);
            }
            // The triangle is erased, not painted over.
            button.handleClick(false);
            const back = waitForSymbol(button, false);
            verify(!isRed(back.pixel(17, 7)));
        }

        // Sized by its holder after it is shown, as a layout sizes it.
        function test_sized_after_creation_draws_its_symbol() {
            const button = createTemporaryObject(buttonComponent, stage, { width: 0, height: 0 });
            verify(button);
            waitForRendering(stage);
            button.width = 24;
            button.height = 24;
            waitForSymbol(button, false);
            button.handleClick(true);
            waitForSymbol(button, true);
        }

        function test_zero_size_draws_nothing() {
            const button = createTemporaryObject(buttonComponent, stage, { width: 0, height: 0, playing: true });
            verify(button);
            wait(0);
            compare(button.canvas.width, 0);
            button.playing = false;
            verify(!button.playing);
        }

        function test_a_click_without_a_mouse_area_does_nothing() {
            const button = makeButton({});
            mouseClick(button, 12, 12);
            verify(!button.playing);
        }
    }
}
